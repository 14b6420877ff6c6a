#include "AppIcon.h"
#include "IconDrawing.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace
{

bool save(const QImage &image, const QString &file)
{
    if (!QDir().mkpath(QFileInfo(file).path()) || !image.save(file, "PNG")) {
        std::fprintf(stderr, "lyrmak-icon-export: cannot write %s\n", qPrintable(file));
        return false;
    }
    return true;
}

} // namespace

// lyrmak-icon-export FILE.png THEME-DIR
// Writes the program's 32 x 32 icon as a PNG beside the program, and the
// larger sizes of the icon theme into THEME-DIR (hicolor/NxN/apps/lyrmak.png)
// for the desktop's menus and docks; the build runs it.
int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s FILE.png THEME-DIR\n", argv[0]);
        return 2;
    }
    bool ok = save(AppIcon::image(), QString::fromLocal8Bit(argv[1]));
    const QString theme = QString::fromLocal8Bit(argv[2]);
    ok = save(AppIcon::image(), theme + QStringLiteral("/hicolor/32x32/apps/lyrmak.png")) && ok;
    for (const int size : {48, 64, 128, 256}) {
        ok = save(IconDrawing::image(size),
                  QStringLiteral("%1/hicolor/%2x%2/apps/lyrmak.png").arg(theme).arg(size)) &&
             ok;
    }
    return ok ? 0 : 1;
}
