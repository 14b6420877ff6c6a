#include "AppIcon.h"
#include "AppInfo.h"
#include "Clipboard.h"
#include "DesktopSession.h"
#include "MecabReadingSource.h"
#include "MtRandom.h"
#include "PosixFileSystem.h"
#include "QtJapanese.h"
#include "SystemClock.h"
#include "frmLyrmak.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstring>

namespace
{

const char *const Usage = "使い方: lyrmak [--help | --version]\n"
                          "\n"
                          "ミルトナを起動します。日本語の歌詞をでたらめに作るプログラムです。\n"
                          "データは lyrmak のあるフォルダーから読みます。保存した歌詞は\n"
                          "そのフォルダーの Lyrmak.dat に追記します（そこに書き込めないときは\n"
                          "~/.local/share/lyrmak/Lyrmak.dat）。\n"
                          "\n"
                          "  -h, --help         この説明を表示します\n"
                          "  -v, --version      バージョンを表示します\n"
                          "\n"
                          "詳しい説明: man lyrmak\n";

// --help and --version answer without a display; other arguments are
// ignored. Returns the exit status, or -1 to start the program.
int answerOption(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const auto is = [&](const char *a, const char *b) {
            return !std::strcmp(argv[i], a) || !std::strcmp(argv[i], b);
        };
        QByteArray out;
        if (is("--help", "-h"))
            out = Usage;
        else if (is("--version", "-v"))
            out = QStringLiteral("lyrmak (%1) %2\n")
                      .arg(AppInfo::title(), AppInfo::version())
                      .toUtf8();
        else
            continue;
        const bool written = std::fputs(out.constData(), stdout) >= 0 && std::fflush(stdout) == 0;
        return written ? 0 : 1;
    }
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (const int status = answerOption(argc, argv); status >= 0)
        return status;
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
    window.engine().setReadingSource(&readings, LyricEngine::ReadingNeed::WhenMetersLater);
    if (!window.load())
        return 1;
    window.show();
    // The analyser takes longer than the window: read once it is up.
    QTimer::singleShot(0, &window, [&window] { window.engine().workOutReadings(); });
    // Exit and the close box end the program here, with status 0.
    return QApplication::exec();
}
