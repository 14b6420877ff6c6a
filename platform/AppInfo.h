#pragma once

#include <QString>

namespace AppInfo
{
// The product name: every message box carries it as its title.
inline QString title()
{
    return QStringLiteral("ミルトナ");
}
inline QString version()
{
    return QStringLiteral("7.0");
}
} // namespace AppInfo
