#include "UrlOpener.h"

#include <QDesktopServices>
#include <QUrl>

namespace
{
UrlOpener::Hook g_hook;
} // namespace

void UrlOpener::open(const QString &address)
{
    if (g_hook) {
        g_hook(address);
        return;
    }
    QDesktopServices::openUrl(QUrl(address));
}

void UrlOpener::setHook(Hook hook)
{
    g_hook = std::move(hook);
}
