#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLockFile;

// One viewer per help file. The viewer of a file holds a lock for its
// lifetime, taken before it reads the file; a later start for the same file
// hands its request over and ends, whatever the holder is doing (starting,
// busy, stopped), so no press of the help key can ever start a second
// viewer. The lock of a viewer that died is taken over.
class HelpInstance : public QObject
{
    Q_OBJECT
public:
    explicit HelpInstance(const QString &helpFile, QObject *parent = nullptr);
    ~HelpInstance() override;

    enum class Role {
        Viewer,   // this process shows the file; later starts come to it
        Elsewhere // another viewer of the file has the request, or will
    };
    // Takes the file's viewer role or hands the request to its holder.
    Role claim();

signals:
    void contentsRequested();

private:
    bool handOver();
    void listen();

    QString m_name;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
};
