#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// One viewer per help file. Asking for help again while a viewer of the
// same file is open brings that viewer forward instead of opening a second
// window: the new start hands the request over and ends.
class HelpInstance : public QObject
{
    Q_OBJECT
public:
    explicit HelpInstance(const QString &helpFile, QObject *parent = nullptr);

    // True when a running viewer of the same file took the request.
    bool handOver();
    // Makes this viewer the one later starts hand over to.
    void listen();

signals:
    void contentsRequested();

private:
    QString m_name;
    QLocalServer *m_server = nullptr;
};
