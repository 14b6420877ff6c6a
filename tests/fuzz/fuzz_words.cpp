// Feeds arbitrary bytes to the word-list loader as every one of the five
// lists. Whatever the bytes, loading ends (the box is answered with Cancel),
// and a list that loads holds at least one word.
#include "FakeFileSystem.h"
#include "FakeWindow.h"
#include "LyricLoader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FakeFileSystem fs;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const char *n : {"Gi.dat", "Ad.dat", "Vi.dat", "Vt.dat", "No.dat"})
        fs.files[QStringLiteral("/prog/") + QLatin1String(n)] = bytes;
    FakeWindow win;
    LyricData d = LyricData::withCategories();
    LyricLoader loader(fs, win, d, QStringLiteral("/prog/"));
    const bool ok = loader.WordRead();
    if (ok && (d.WordLists[0].Words.isEmpty() || !win.boxes.isEmpty() || win.unloaded))
        std::abort();
    if (!ok && (!win.unloaded || win.boxes.size() != 1))
        std::abort();
    return 0;
}
