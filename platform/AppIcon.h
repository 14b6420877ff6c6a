#pragma once

#include <QIcon>

// The program's one icon, shared by every window.
namespace AppIcon {
QIcon icon();
}
