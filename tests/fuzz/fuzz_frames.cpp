// Feeds arbitrary bytes to the frame loader. Loading ends, and every frame
// that loads begins with a line break and holds no "@"; its lines' readings
// and targets stand beside them, and the readings worked out without an
// analyser are kana around the line's own tags.
#include "FakeFileSystem.h"
#include "FakeWindow.h"
#include "LyricLoader.h"
#include "Morae.h"
#include "ReadingMaker.h"

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
    if (!ok)
        return 0;
    if (d.FrameReadings.size() != d.Frames.size() || d.FrameMeters.size() != d.Frames.size())
        std::abort();
    bool meters = false;
    for (qsizetype f = 0; f < d.Frames.size(); ++f) {
        const qsizetype lines = ReadingMaker::frameLines(d.Frames[f]).size();
        if (d.FrameReadings[f].size() != lines || d.FrameMeters[f].size() != lines)
            std::abort();
        for (const int m : d.FrameMeters[f]) {
            if (m < 0 || m > 99)
                std::abort();
            meters = meters || m > 0;
        }
    }
    if (meters != d.Meters)
        std::abort();
    ReadingMaker::workOut(d, nullptr);
    for (qsizetype f = 0; f < d.Frames.size(); ++f) {
        const QList<QStringView> lines = ReadingMaker::frameLines(d.Frames[f]);
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QString &r = d.FrameReadings[f][i];
            if (r.isNull())
                continue;
            QList<QStringView> tags, own;
            for (const ReadingMaker::Part &p : ReadingMaker::split(r, d.Refrains)) {
                if (p.slot)
                    tags << p.text;
                else if (Morae::count(p.text) < 0)
                    std::abort();
            }
            for (const ReadingMaker::Part &p : ReadingMaker::split(lines[i], d.Refrains))
                if (p.slot)
                    own << p.text;
            if (tags != own)
                std::abort();
        }
    }
    return 0;
}
