#pragma once

#include "WordList.h"

#include <QStringList>
#include <array>

// Everything the engine loads at start-up. Rows of WordLists are in loading
// and filling order; each frame text begins with CR LF.
struct LyricData {
    static constexpr int kCategories = 5;
    std::array<WordList, kCategories> WordLists;
    QStringList Frames;
    // The frame file holds the comment line kRefrainsLine: held tags and no
    // repeated words (see FrameFiller). Other files fill as they always did.
    bool Refrains = false;
    static constexpr const char16_t *kRefrainsLine = u"'!くりかえし";

    // Per frame, per line: line i of frame f is element i + 1 of
    // Frames[f].split(CR LF), the empty piece before the first CR LF not
    // counted. The loader fills both (a reading only where a "'=" line gives
    // one, null elsewhere); ReadingMaker then works out the null readings
    // when they are needed (see LyricEngine::setReadingSource).
    // The line's reading in katakana, tags left as they stand; null where
    // it cannot be known.
    QList<QStringList> FrameReadings;
    // The line's target in morae (a "'!拍 N" comment right before it), 0 for none.
    QList<QList<int>> FrameMeters;
    static constexpr const char16_t *kMeterLine = u"'!拍 ";
    // Some frame line has a target: lines with one are filled to meter.
    // Start-up turns it off again when the readings cannot be had.
    bool Meters = false;

    // The fixed category table: tags and file names, no words yet.
    static LyricData withCategories()
    {
        LyricData d;
        const char *tags[kCategories] = {"Gi", "Ad", "Vi", "Vt", "No"};
        for (int i = 0; i < kCategories; ++i) {
            d.WordLists[i].Tag = QString::fromLatin1(tags[i]);
            d.WordLists[i].FileName = d.WordLists[i].Tag + QStringLiteral(".dat");
        }
        return d;
    }
};
