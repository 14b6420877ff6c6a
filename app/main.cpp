#include "AppIcon.h"
#include "Clipboard.h"
#include "DesktopSession.h"
#include "MecabReadingSource.h"
#include "MtRandom.h"
#include "PosixFileSystem.h"
#include "QtJapanese.h"
#include "SystemClock.h"
#include "frmLyrmak.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    if (!DesktopSession::screenAvailable())
        return 1;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("lyrmak"));
    QApplication::setApplicationDisplayName(QString());
    // Boxes shown before the main window (a missing help file, a failed
    // load) carry the program's icon too.
    QApplication::setWindowIcon(AppIcon::icon());

    QtJapanese::install();
    DesktopSession::setUp();

    PosixFileSystem files;
    SystemClock clock;
    MtRandom random;
    Clipboard clipboard;
    MecabReadingSource readings;
    frmLyrmak window(files, clock, random, clipboard);
    window.engine().setReadingSource(&readings);
    if (!window.load())
        return 1;
    window.show();
    // Exit and the close box end the program here, with status 0.
    return QApplication::exec();
}
