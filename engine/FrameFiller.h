#pragma once

#include "WordList.h"

#include <QString>
#include <QStringView>
#include <array>

class RandomSource;

// Fills a frame: every occurrence of each category's tag, categories in table
// order, leftmost first, one draw per replacement. After a replacement the
// search goes on one character before the inserted word, since a new tag can
// only start there or later; the result is built once. This gives exactly the
// text (and the draws) of restarting the search at the first character after
// every replacement, at a cost linear in the output.
class FrameFiller
{
public:
    // Runaway fillings (words that bring back their own tag) stop here and
    // return the text as it stands.
    static constexpr qsizetype kMaxReplacements = 100000;
    static constexpr qsizetype kMaxLength = 1000000;

    static QString fill(const QString &frame, const std::array<WordList, 5> &lists,
                        RandomSource &random);

    // floor(r * n), kept below n even if r * n rounds up to n.
    static qsizetype pickIndex(double r, qsizetype n);
};
