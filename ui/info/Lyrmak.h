#pragma once

#include <QString>

// The help call: names the help file to the help viewer.
namespace Lyrmak {
void ShowHelp(const QString &path);
}
