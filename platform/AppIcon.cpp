#include "AppIcon.h"

#include <QPixmap>

namespace
{

// 32 x 32 in colours of the standard 16-colour palette: a sheet of lyrics on
// ruled paper, a pair of beamed eighth notes and a sparkle. Kept as XPM text
// so the artwork lives in the source and needs no resource file.
// clang-format off
const char *const lyrmak_xpm[] = {
    "32 32 10 1",
    ". c None",
    "k c #000000",
    "w c #FFFFFF",
    "s c #808080",
    "g c #C0C0C0",
    "r c #00FFFF",
    "b c #000080",
    "m c #800080",
    "M c #FF00FF",
    "y c #FFFF00",
    "................................",
    "................................",
    "...kkkkkkkkkkkkkkk.........y....",
    "...kwwwwwwwwwwwwwkk........y....",
    "...kwwwwwwwwwwwwwkgk.....yywyy..",
    "...kwwwwwwwwwwwwwkggk......y....",
    "...kwwwwwwwwwwwwwkgggk.....y....",
    "...kwwwwwwwwwwwwwkkkkkk.........",
    "...kwwwwwwwwwwwwwwwwwwk.........",
    "...kwwbwbbbwbbbwbbwwwwkss.......",
    "...kwrrrrrrrrrrrrrrrrwkss.MMM...",
    "...kwwwwwwwwwwwwwwwwwwkMMMmmm...",
    "...kwwwwwwwwwwwwwwMMMMMmmmmmm...",
    "...kwwbwbbbwbbbwMMmmmmmmmm..m...",
    "...kwrrrrrrrrrrrmmmmmmmss...m...",
    "...kwwwwwwwwwwwwmmwwwwkss...m...",
    "...kwwwwwwwwwwwwmwwwwwkss...m...",
    "...kwwbwbbbwbbbwmwwwwwkss...m...",
    "...kwrrrrrrrrrrrmrrrrwkss...m...",
    "...kwwwwwwwwwwwwmwwwwwkss...m...",
    "...kwwwwwwwwwwwwmwwwwwkss...m...",
    "...kwwbwbbbwbwwwmwwwwwkss...m...",
    "...kwrrrrrrrrrrrmrrrrwkssmmmm...",
    "...kwwwwwwwwwwwwmwwwwwksmMMmm...",
    "...kwwwwwwwwwwwwmwwwwwksmmmmm...",
    "...kwwbwbbbwwmmmmwwwwwkssmmm....",
    "...kwrrrrrrrmMMmmrrrrwkss.......",
    "...kwwwwwwwwmmmmmwwwwwkss.......",
    "...kkkkkkkkkkmmmkkkkkkkss.......",
    "......sssssssssssssssssss.......",
    "......sssssssssssssssssss.......",
    "................................"
};
// clang-format on

} // namespace

QImage AppIcon::image()
{
    return QImage(lyrmak_xpm);
}

QPixmap AppIcon::pixmap()
{
    return QPixmap::fromImage(image());
}

QIcon AppIcon::icon()
{
    return QIcon(pixmap());
}
