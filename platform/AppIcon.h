#pragma once

#include <QIcon>
#include <QImage>

// The program's one icon, 32 x 32 in 16 colours, shared by every window, the
// About dialog's picture and the desktop entry.
namespace AppIcon
{
QIcon icon();
QPixmap pixmap();
// Needs no running application: the build writes the desktop icon from it.
QImage image();
} // namespace AppIcon
