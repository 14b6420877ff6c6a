// Feeds arbitrary bytes to the frame loader. Loading ends, and every frame
// that loads begins with a line break and holds no "@".
#include "FakeFileSystem.h"
#include "FakeWindow.h"
#include "LyricLoader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FakeFileSystem fs;
    fs.files[QStringLiteral("/prog/Kasi.dat")] =
        QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
    FakeWindow win;
    LyricData d = LyricData::withCategories();
    LyricLoader loader(fs, win, d, QStringLiteral("/prog/"));
    const bool ok = loader.FrameRead();
    if (ok && d.Frames.isEmpty())
        std::abort();
    for (const QString &f : d.Frames)
        if (!f.startsWith(QStringLiteral("\r\n")) || f.contains(QLatin1Char('@')))
            std::abort();
    if (!ok && !win.unloaded)
        std::abort();
    return 0;
}
