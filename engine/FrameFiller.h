#pragma once

#include "WordList.h"

#include <QList>
#include <QString>
#include <QStringView>
#include <array>
#include <string>
#include <vector>

class RandomSource;
class SongState;

// Fills a frame: every occurrence of each category's tag, categories in table
// order, leftmost first, one draw per replacement. After a replacement the
// search goes on one character before the inserted word, since a new tag can
// only start there or later; the result is built once. This gives exactly the
// text (and the draws) of restarting the search at the first character after
// every replacement, at a cost linear in the output.
//
// With refrains (a frame file that asks for them), a tag directly followed by
// a digit 1-9 is held for the whole song (see SongState): the first one
// draws its word and fills the tags inside it at once (later categories in
// their order), and every later one, in this filling or in the next Append
// lyrics, is a copy of that text without a draw. Nothing inside a copy is
// filled again; a tag that forms where a copy meets the text beside it is
// filled as usual. A held tag met while its own text is being made stays as
// it stands. Every draw of a category takes a word not yet used in the song
// (in file order, floor(r * unused)); once all are used, any word again.
//
// When the lists can be planned (see plannable()), no replacement can make
// or break a tag: one scan of the frame, and of each word once, finds every
// tag; the draws are then made in the same order and the text is built once.
class FrameFiller
{
public:
    enum class Rules { Classic, Refrains };

    // A category whose words can bring back its own tag (see canBringBack())
    // might never finish its turn. Such a turn stops once it has made
    // kMaxReplacements replacements beyond the tags it began with, or grown
    // the text by kMaxGrowth characters beyond what those tags could take
    // (their number times the longest word); the filling stops with it while
    // a tag of the turn is left, and goes on with the next category when
    // none is. Every other turn fills all its tags, however many.
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

    // One filling of `frame`; `song` holds what the song has settled so far
    // and is added to (refrains only).
    QString fill(const QString &frame, RandomSource &random, SongState &song) const;
    bool isPlanned() const { return m_planned; }

    // For tests and tools: build a filler and fill once, as a song of its
    // own unless `song` is given.
    static QString fill(const QString &frame, const std::array<WordList, 5> &lists,
                        RandomSource &random, Rules rules = Rules::Classic,
                        SongState *song = nullptr);

    // True when no word can make or break a tag, wherever it is put: every
    // word is non-empty, does not begin with a tag's second letter nor end
    // with a tag's first letter, holds no tag of its own list (those of
    // later lists it may: they are filled in their turn, those of earlier
    // ones stay text), and no two tags can overlap; with refrains also no
    // word begins with a digit 1-9 nor ends with a tag (a digit next to it
    // would make a held tag). Words without Latin letters and digits, as in
    // real data, always are.
    static bool plannable(const std::array<WordList, 5> &lists, Rules rules = Rules::Classic);

    // Where the tags of a text stand, for lists that can be planned: found
    // once per frame and used for every filling of it. Small, as a filling
    // reads its frame's plan afresh: positions stay below kMaxTextLength.
    struct TagAt {
        qint32 pos;
        qint8 category;
        qint8 digit; // 1-9 for a held tag (three characters long), else 0
    };
    // Texts copied by the planned filling have room for this many characters
    // past their end: short copies then need no exact length.
    static constexpr qsizetype kPad = 16;
    struct TagPlan {
        QList<TagAt> tags; // left to right
        // Indices into tags, list by list, each with the first held tag of
        // its list and digit, whose text it shows (itself when it is that
        // one or not held).
        struct Draw {
            qint32 tag, sameAs;
        };
        QList<Draw> drawOrder;
        std::array<qsizetype, 6> categoryStart{}; // where each list begins in drawOrder
        std::u16string text;                      // the frame, padded (see kPad)
    };
    TagPlan planTags(const QString &frame) const;
    QString fillPlanned(const QString &frame, const TagPlan &plan, RandomSource &random,
                        SongState &song) const;

    // floor(r * n), kept below n even if r * n rounds up to n.
    static qsizetype pickIndex(double r, qsizetype n)
    {
        if (n <= 0)
            return 0;
        const auto i = static_cast<qsizetype>(r * static_cast<double>(n));
        return i < 0 ? 0 : (i >= n ? n - 1 : i);
    }

private:
    // Characters [begin, end) of a text are a copy of a held text.
    struct Copy {
        qsizetype begin, end;
    };
    using Copies = QList<Copy>;
    struct Turns; // the state of one filling on the general way
    struct Plan;  // the state of one planned filling

    QString fillFrom(QString text, Copies &copies, int first, Turns &turns) const;
    QString fillCategory(const QString &text, Copies &copies, int k, Turns &turns) const;
    qsizetype draw(int k, RandomSource &random, SongState &song) const;
    // Appends the tags of text (categories from `from` on) to out.
    void scanTags(QStringView text, int from, QList<TagAt> &out) const;

    void drawPlanned(Plan &plan, qsizetype begin, qsizetype end, int k) const;
    void drawSlot(Plan &plan, qsizetype slot) const;
    void drawInner(Plan &plan, qsizetype slot, const QList<TagAt> &tags) const;
    // Writes text with its tags filled from the places at firstSlot on;
    // returns the end of what it wrote. Both text and o have kPad of room.
    char16_t *render(const Plan &plan, char16_t *o, QStringView text, const QList<TagAt> &tags,
                     qsizetype firstSlot) const;

    const std::array<WordList, 5> &m_lists;
    Rules m_rules;
    std::array<ListTraits, 5> m_traits;
    bool m_planned = false;
    // A held tag's letters and digit, for one that stays as it stands.
    std::array<std::array<QString, 10>, 5> m_heldNames;
    // Planned lists: the characters of every word in one block, and per
    // list a small entry for each word. Draws land anywhere in the lists:
    // a draw reads one entry; the characters are read when the text is
    // built, out of the way of the next draw.
    struct WordAt {
        qint32 at;    // in m_pool
        quint16 size; // longer words are not planned
        qint16 inner; // index of the word's tags in m_inner; -1: none
    };
    std::array<std::vector<WordAt>, 5> m_words;
    std::u16string m_pool;
    std::array<QList<QList<TagAt>>, 5> m_inner;
    // Which lists' tags begin with each ASCII character.
    std::array<quint8, 128> m_startsTag{};
    bool m_asciiTags = true;
};
