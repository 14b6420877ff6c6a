#include "DesktopSession.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QStringList>

#include <cstdio>

namespace
{

// The platform plugins that need a display server.
bool needsDisplay(QStringView plugin)
{
    return plugin == u"xcb" || plugin.startsWith(u"wayland");
}

// IPAGothic, which fontconfig puts first for Japanese locales, draws Latin
// letters at one fixed width: the interface would look like a terminal.
bool fixedPitch(const QString &family)
{
    const QFontMetricsF metrics{QFont(family)};
    return metrics.horizontalAdvance(QLatin1Char('i')) ==
           metrics.horizontalAdvance(QLatin1Char('W'));
}

} // namespace

bool DesktopSession::screenAvailable()
{
    if (!qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return true;
    // A chosen plugin that draws without a display server (offscreen for the
    // tests, vnc, eglfs, linuxfb) is Qt's to try.
    const QString chosen = qEnvironmentVariable("QT_QPA_PLATFORM");
    for (const QStringView entry : QStringView(chosen).split(u';', Qt::SkipEmptyParts)) {
        if (!needsDisplay(entry.left(entry.indexOf(u':'))))
            return true;
    }
    std::fputs("ミルトナを表示できません: 画面（DISPLAY または WAYLAND_DISPLAY）がありません。\n",
               stderr);
    return false;
}

void DesktopSession::setUp()
{
    QGuiApplication::setDesktopFileName(QStringLiteral("lyrmak"));

    // Keep the desktop's own family when it is proportional; Japanese text it
    // cannot draw goes to the proportional Japanese fonts Debian's Japanese
    // desktops use, before Qt's own fallback (which may be IPAGothic).
    QFont font = QGuiApplication::font();
    QStringList families;
    if (!fixedPitch(font.family()))
        families << font.family();
    families << QStringLiteral("Noto Sans CJK JP") << QStringLiteral("IPAPGothic");
    font.setFamilies(families);
    QGuiApplication::setFont(font);
}
