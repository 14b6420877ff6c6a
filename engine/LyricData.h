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
