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
// With refrains (a frame file that asks for them), a tag directly followed by
// a digit 1-9 is held: its first occurrence draws, later ones in the same
// filling repeat that word without a draw, and the digit goes with the tag.
// Every draw of a category then takes a word not yet used in this filling
// (in file order, floor(r * unused)); once all are used, any word again.
//
// When the lists are inert (see inert()), no replacement can make or break a
// tag, so one scan of the frame finds every tag; the draws are then made in
// the same order (category by category, leftmost first) and the text is
// built once.
class FrameFiller
{
public:
    enum class Rules { Classic, Refrains };

    // A category whose words can bring back its own tag (see canBringBack())
    // might never finish its turn. Such a turn stops, and with it the filling,
    // once it has made kMaxReplacements replacements beyond the tags it began
    // with, or grown the text by kMaxGrowth characters beyond what those tags
    // could take (their number times the longest word). Every other turn
    // fills all its tags, however many.
    static constexpr qsizetype kMaxReplacements = 100000;
    static constexpr qsizetype kMaxGrowth = 1000000;
    // Past this a text no longer fits a QString comfortably: any filling
    // stops rather than run out of memory.
    static constexpr qsizetype kMaxTextLength = qsizetype(1) << 27;

    // What the words of one list can do next to other text.
    struct ListTraits {
        bool holdsTag = false;         // some word holds the list's own tag
        bool beginsWithSecond = false; // some word begins with the tag's second letter
        bool endsWithFirst = false;    // some word ends with the tag's first letter
        bool hasEmpty = false;         // some word is empty: it joins its neighbours
        qsizetype longest = 0;         // characters in the longest word
    };
    static ListTraits traits(const WordList &list);

    // Whether a turn of `list` over `text` can make its own tag appear again:
    // a word holds the tag, or completes it at a seam: beginning with the
    // second letter where the first can stand before a tag (in the text or at
    // the end of a word), ending with the first where the second can follow,
    // or, being empty, joining the two.
    static bool canBringBack(QStringView text, const WordList &list, const ListTraits &traits,
                             Rules rules);

    FrameFiller(const std::array<WordList, 5> &lists, Rules rules);

    QString fill(const QString &frame, RandomSource &random) const;
    bool isInert() const { return m_inert; }

    // For tests and tools: build a filler and fill once.
    static QString fill(const QString &frame, const std::array<WordList, 5> &lists,
                        RandomSource &random, Rules rules = Rules::Classic);

    // True when no word can make a tag appear, wherever it is put: every
    // word is non-empty, holds no tag, does not begin with a tag's second
    // letter nor end with a tag's first letter, and no two tags can overlap;
    // with refrains also no word begins with a digit 1-9 (it would turn the
    // tag before it into a held one). Words without Latin letters and digits,
    // as in real data, always are.
    static bool inert(const std::array<WordList, 5> &lists, Rules rules = Rules::Classic);

    // Where the tags of a frame stand, for inert lists: found once per frame
    // and used for every filling of it.
    struct TagAt {
        qsizetype pos;
        int category;
        int digit; // 1-9 for a held tag (three characters long), else 0
    };
    struct TagPlan {
        QList<TagAt> tags;          // left to right
        QList<qsizetype> drawOrder; // indices into tags, in the order of the draws
    };
    TagPlan planTags(const QString &frame) const;
    QString fillPlanned(const QString &frame, const TagPlan &plan, RandomSource &random) const;

    // floor(r * n), kept below n even if r * n rounds up to n.
    static qsizetype pickIndex(double r, qsizetype n)
    {
        if (n <= 0)
            return 0;
        const auto i = static_cast<qsizetype>(r * static_cast<double>(n));
        return i < 0 ? 0 : (i >= n ? n - 1 : i);
    }

private:
    QString fillCategory(const QString &text, int k, RandomSource &random, bool &stopped) const;

    const std::array<WordList, 5> &m_lists;
    Rules m_rules;
    std::array<ListTraits, 5> m_traits;
    bool m_inert = false;
};
