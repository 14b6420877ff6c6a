#include "AppIcon.h"
#include "DesktopSession.h"
#include "HelpInstance.h"
#include "HelpWindow.h"
#include "NativePath.h"
#include "QtJapanese.h"

#include <QApplication>
#include <QCommandLineParser>

// lyrmak-help [--contents] [--] FILE
// Shows the help file FILE; --contents opens it on its contents list.
int main(int argc, char *argv[])
{
    if (!DesktopSession::screenAvailable())
        return 1;
    QApplication app(argc, argv);
    // The help belongs to the program: under X11 the application name is the
    // window class, by which docks match the window to the program's entry.
    QApplication::setApplicationName(QStringLiteral("lyrmak"));
    QApplication::setApplicationDisplayName(QString());

    QtJapanese::install();
    DesktopSession::setUp();
    // Every window of the viewer, message boxes included, shows the program's icon.
    QApplication::setWindowIcon(AppIcon::icon());

    QCommandLineParser parser;
    const QCommandLineOption contents(QStringLiteral("contents"));
    parser.addOption(contents);
    parser.addPositionalArgument(QStringLiteral("file"), QString());
    // A bad command line still gets a window that says what is missing.
    // Taken from argv as bytes: a path need not be UTF-8.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << NativePath::fromNative(argv[i]);
    parser.parse(arguments);
    const QString file = NativePath::absolute(parser.positionalArguments().value(0));

    // Claimed before the file is read: whatever reading it does, a second
    // start for the same file comes here and not to a second window.
    HelpInstance instance(file);
    if (!file.isEmpty() && instance.claim() == HelpInstance::Role::Elsewhere)
        return 0;

    HelpWindow window;
    window.open(file);
    window.show();
    if (parser.isSet(contents))
        window.showContents();
    if (!file.isEmpty()) {
        QObject::connect(&instance, &HelpInstance::contentsRequested, &window,
                         &HelpWindow::showContents);
    }
    return QApplication::exec();
}
