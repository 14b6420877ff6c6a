#pragma once

#include "WordList.h"

#include <QList>
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
//
// When the lists are inert (see inert()), no replacement can make or break a
// tag, so one scan of the frame finds every tag; the draws are then made in
// the same order (category by category, leftmost first) and the text is
// built once.
class FrameFiller
{
public:
    // Runaway fillings (words that bring back their own tag) stop here and
    // return the text as it stands.
    static constexpr qsizetype kMaxReplacements = 100000;
    static constexpr qsizetype kMaxLength = 1000000;

    static QString fill(const QString &frame, const std::array<WordList, 5> &lists,
                        RandomSource &random, bool listsInert = false);

    // True when no word can make a tag appear, wherever it is put: every
    // word is non-empty, holds no tag, does not begin with a tag's second
    // letter nor end with a tag's first letter, and no two tags can overlap.
    // Words without Latin letters, as in real data, always are.
    static bool inert(const std::array<WordList, 5> &lists);

    // Where the tags of a frame stand, for inert lists: found once per frame
    // and used for every filling of it.
    struct TagAt {
        qsizetype pos;
        int category;
    };
    struct TagPlan {
        QList<TagAt> tags;          // left to right
        QList<qsizetype> drawOrder; // indices into tags, in the order of the draws
    };
    static TagPlan planTags(const QString &frame, const std::array<WordList, 5> &lists);
    static QString fillPlanned(const QString &frame, const TagPlan &plan,
                               const std::array<WordList, 5> &lists, RandomSource &random);

    // floor(r * n), kept below n even if r * n rounds up to n.
    static qsizetype pickIndex(double r, qsizetype n)
    {
        if (n <= 0)
            return 0;
        const auto i = static_cast<qsizetype>(r * static_cast<double>(n));
        return i < 0 ? 0 : (i >= n ? n - 1 : i);
    }
};
