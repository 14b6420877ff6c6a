#pragma once

#include <QString>

// The help call: names the help file to the help viewer and asks for its
// contents page. Returns at once and reports nothing.
namespace Lyrmak
{
void ShowHelp(const QString &path);
}
