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

// lyrmak-icon-export THEME-DIR
// Writes the icon theme's sizes (THEME-DIR/hicolor/NxN/apps/lyrmak.png): the
// program's own 32 x 32 picture and the larger drawings.
int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s THEME-DIR\n", argv[0]);
        return 2;
    }
    const QString theme = QString::fromLocal8Bit(argv[1]);
    bool ok = save(AppIcon::image(), theme + QStringLiteral("/hicolor/32x32/apps/lyrmak.png"));
    for (const int size : {48, 64, 128, 256}) {
        ok = save(IconDrawing::image(size),
                  QStringLiteral("%1/hicolor/%2x%2/apps/lyrmak.png").arg(theme).arg(size)) &&
             ok;
    }
    return ok ? 0 : 1;
}
