// Fills a frame from arbitrary lists: the input, as UTF-8, is split at NUL
// into a frame and the words of the five lists (lists separated by SOH).
// Each input is filled as in a frame file without refrains, and as a song of
// two fillings (New lyrics, Append lyrics) in one with them. Filling always
// ends, and where no word brings back its own tag it agrees exactly with the
// restart-from-the-start algorithm, held texts and used words included.
// Then the frame is filled to meter, each line given a target: the filling
// ends with the frame's lines, and in a frame without refrains every line
// whose target can be met (as the checker judges) meets it exactly.
#include "FakeRandom.h"
#include "FrameFiller.h"
#include "LiteralFiller.h"
#include "MeterFitter.h"
#include "Morae.h"
#include "SongState.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString input = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype nul = input.indexOf(QChar(0));
    const QString frame = nul < 0 ? input : input.left(nul);
    const QStringList lists = nul < 0 ? QStringList() : input.mid(nul + 1).split(QChar(1));

    std::array<WordList, 5> wl;
    const char *tags[5] = {"Gi", "Ad", "Vi", "Vt", "No"};
    bool finite = true;
    for (int i = 0; i < 5; ++i) {
        wl[i].Tag = QString::fromLatin1(tags[i]);
        wl[i].Words = i < lists.size() ? lists[i].split(QLatin1Char('\n')) : QStringList{"x"};
        for (const QString &w : wl[i].Words)
            finite = finite && !w.contains(wl[i].Tag) && w.size() < 64;
    }

    for (const auto rules : {FrameFiller::Rules::Classic, FrameFiller::Rules::Refrains}) {
        const bool refrains = rules == FrameFiller::Rules::Refrains;
        const FrameFiller filler(wl, rules);
        FakeRandom a(size), b(size);
        SongState song;
        LiteralSong literalSong;
        for (int filling = 0; filling < (refrains ? 2 : 1); ++filling) {
            const QString fast = filler.fill(frame, a, song);
            if (fast.size() > FrameFiller::kMaxTextLength + 64)
                std::abort();
            if (finite && frame.size() < 4096) {
                const QString slow = literalFill(frame, wl, b, refrains, &literalSong);
                if (slow != fast || a.draws != b.draws)
                    std::abort();
            }
        }
    }

    if (frame.size() > 4096)
        return 0;
    const QStringList lines = frame.split(QStringLiteral("\r\n"));
    QList<int> targets;
    for (qsizetype i = 1; i < lines.size(); ++i)
        targets << int((qHash(lines[i]) + size) % 24);
    for (const auto rules : {FrameFiller::Rules::Classic, FrameFiller::Rules::Refrains}) {
        const MeterFitter fitter(wl, rules);
        FakeRandom random(size);
        SongState song;
        const QString out = fitter.fill(frame, {}, targets, song, random);
        if (!fitter.isUsable())
            continue;
        const QStringList filled = out.split(QStringLiteral("\r\n"));
        if (filled.size() != lines.size())
            std::abort();
        if (rules == FrameFiller::Rules::Refrains)
            continue;
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const int target = targets[i - 1];
            const MeterFitter::Reach reach = fitter.reach(lines[i], lines[i], true);
            if (target > 0 && reach.known && reach.reaches(target) &&
                Morae::count(filled[i]) != target)
                std::abort();
        }
    }
    return 0;
}
