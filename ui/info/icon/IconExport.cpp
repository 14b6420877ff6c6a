#include "AppIcon.h"

#include <cstdio>

// lyrmak-icon-export FILE.png
// Writes the program's icon as a PNG for the desktop entry; the build runs it.
int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE.png\n", argv[0]);
        return 2;
    }
    if (!AppIcon::image().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
