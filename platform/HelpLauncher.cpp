#include "HelpLauncher.h"

#include "NativePath.h"

namespace
{
HelpLauncher::Hook g_hook;
} // namespace

QString HelpLauncher::viewerProgram()
{
    return NativePath::programFolder() + QStringLiteral("/lyrmak-help");
}

void HelpLauncher::show(QWidget *owner, const QString &helpFile, quint32 command, quintptr data)
{
    if (g_hook) {
        g_hook({owner, helpFile, command, data});
        return;
    }
    if (command != ContentsCommand)
        return;
    // Detached and without a shell: the help window is the viewer's, it may
    // outlive this program, and the path reaches it as one argument whatever
    // bytes it holds. "--" keeps a name starting with "-" a file name.
    // Whether the start worked is not examined: help reports nothing.
    NativePath::startDetached(viewerProgram(),
                              {QStringLiteral("--contents"), QStringLiteral("--"), helpFile});
}

void HelpLauncher::setHook(Hook hook)
{
    g_hook = std::move(hook);
}
