#pragma once

#include <QImage>

// The program's icon redrawn as shapes, for the desktop's larger sizes: the
// same sheet of ruled lyrics, beamed eighth notes, shadow and sparkle as the
// 32 x 32 picture the windows use, in its colours, but sharp at any size.
namespace IconDrawing
{
QImage image(int size);
}
