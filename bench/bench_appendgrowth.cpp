// Memory of a text built by Append lyrics, as a user builds it: the text
// length against the process's address space and resident size, every
// million characters, up to the length given or until Append lyrics refuses
// more. Run it under `ulimit -v` to see where Qt's text document gives out
// (the limit of frmLyrmak::MaxTextLength was chosen from these figures with
// the limit lifted).
#include "MessageBox.h"

#include "BundledWindow.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <cstdio>

namespace
{

// "VmSize" or "VmRSS" of /proc/self/status, in MB.
long statusMb(const char *key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qsizetype(qstrlen(key)) + 1).trimmed().split(' ').first().toLong() /
                   1024;
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const qsizetype upTo = argc > 1 ? QByteArray(argv[1]).toLongLong() : 80'000'000;
    BundledWindow bundled;
    frmLyrmak &window = bundled.window;
    if (!window.load())
        return 1;
    window.show();
    QAction *append = window.findChild<QAction *>(QStringLiteral("mnuRepeat"));
    // The boxes that refuse more text, should they come, are answered at once.
    for (int i = 0; i < 200; ++i)
        MessageBox::setNextAnswer(MsgAnswer::Ok);
    std::printf("characters,VmSize MB,VmRSS MB\n0,%ld,%ld\n", statusMb("VmSize:"),
                statusMb("VmRSS:"));
    qsizetype next = 1'000'000;
    while (window.textLength() < upTo) {
        const qsizetype before = window.textLength();
        for (int i = 0; i < 100; ++i)
            append->trigger();
        QCoreApplication::processEvents();
        if (window.textLength() == before)
            break; // Append lyrics refuses to add more
        if (window.textLength() >= next) {
            std::printf("%lld,%ld,%ld\n", (long long)window.textLength(), statusMb("VmSize:"),
                        statusMb("VmRSS:"));
            std::fflush(stdout);
            next += 1'000'000;
        }
    }
    std::printf("stopped at %lld characters\n", (long long)window.textLength());
    return 0;
}
