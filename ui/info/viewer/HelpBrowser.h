#pragma once

#include <QImage>
#include <QTextBrowser>

// The help text. Pages, images and stylesheets come only from regular files
// inside the help file's own folder, read without ever waiting on a FIFO or
// reading a device: whatever a help file names, showing it cannot hang the
// viewer, exhaust its memory or show a file from elsewhere. A page too deep
// or too large for Qt to lay out quickly is replaced by an explanation.
class HelpBrowser : public QTextBrowser
{
    Q_OBJECT
public:
    explicit HelpBrowser(QWidget *parent = nullptr);

    // The folder whose files may be shown: the one that really holds
    // `helpFile` (links followed).
    void setHelpFile(const QString &helpFile);

    // The file `url` names, when it is a regular file inside the help
    // folder or a folder below it; empty otherwise. A relative `url` is taken from the page shown.
    QString fileInFolder(const QUrl &url) const;

    QVariant loadResource(int type, const QUrl &name) override;

    // Whether the last page loaded held bytes that no character set read.
    bool garbled() const { return m_garbled; }

protected:
    void changeEvent(QEvent *event) override;

private:
    // What stands in for an image that cannot be shown.
    QImage brokenImage() const;

    QString m_folder; // canonical, without a trailing separator
    bool m_garbled = false;
};
