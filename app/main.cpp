#include "Clipboard.h"
#include "MtRandom.h"
#include "PosixFileSystem.h"
#include "SystemClock.h"
#include "frmLyrmak.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("lyrmak"));
    QApplication::setApplicationDisplayName(QString());

    // Qt's own texts (the text area's context menu) in Japanese.
    QTranslator qtJapanese;
    if (qtJapanese.load(QStringLiteral("qtbase_ja"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtJapanese);

    PosixFileSystem files;
    SystemClock clock;
    MtRandom random;
    Clipboard clipboard;
    frmLyrmak window(files, clock, random, clipboard);
    if (!window.load())
        return 1;
    window.show();
    // Exit and the close box end the program here, with status 0.
    return QApplication::exec();
}
