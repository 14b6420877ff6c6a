#pragma once

#include "LyricData.h"
#include "TagCounts.h"

#include <QList>
#include <QString>
#include <array>
#include <string>
#include <vector>

// The five word lists as the meter fitting reads them: the tags each word
// holds, its own morae, the counted words grouped by signature (own morae
// and the categories of the tags it holds) and packed for draws, and what a
// tag of each category comes to (TagCounts). Worked out once, when the
// fitter is made.
class MeterLists
{
public:
    using Poly = TagCounts::Poly;
    static constexpr int kCap = TagCounts::kCap;
    // Texts a filling copies from carry kPad characters of room past their
    // end; a word of at most kShort characters lies in its draw entry.
    static constexpr size_t kPad = 16;
    static constexpr size_t kShort = 8;
    struct Slot {
        qsizetype pos;
        int category;
        int digit;
        int rest = -1; // in a line's plan: what the plain tags after it can make
    };
    struct Word {
        int morae = -1; // own morae; -1 when unknown (or holding a held tag)
        QList<Slot> inner;
        int signature = -1;
        qsizetype place = -1; // in its signature's words
    };
    struct Signature {
        int morae;
        QList<int> inner; // categories of the held tags, in order
        Poly innerPoly;   // product of their P
        QList<qsizetype> words;
        double count = 0.0; // of words
        qint32 first = 0;   // place of its words in Category::bySignature
    };
    struct Category {
        QList<Word> words;
        // What a draw reads of each word, packed: the words' own records,
        // texts and lists lie all over the heap.
        struct Brief {
            int signature;
            int place;
            int from, length; // in text
            bool inner;
        };
        std::vector<Brief> brief;
        std::u16string text;         // every word, one after another, kPad spare
        QList<Signature> signatures; // counted words only
        // The counted words, signature by signature, with what a fitted draw
        // reads of them: it knows the signature and the place already.
        // A short word's characters lie in its entry: no read elsewhere.
        struct Drawn {
            qint32 index;
            qint32 from, length; // in text
            bool inner;
            char16_t head[kShort]; // the word, when it is at most kShort long
        };
        std::vector<Drawn> bySignature;
    };

    MeterLists(const std::array<WordList, 5> &lists, bool refrains);

    // Whether words can only chain later categories: no seams, no tag that
    // comes back. Nothing else is worked out otherwise.
    bool isUsable() const { return m_usable; }
    const Category &category(int k) const { return m_categories[size_t(k)]; }
    const TagCounts &counts() const { return m_counts; }
    // The tags in a text, those of categories after `after` (-1: all).
    QList<Slot> tagsIn(QStringView text, int after) const;
    // The morae of a reading with tags left in it, tags not counted.
    int fixedMorae(QStringView reading) const;
    // A word's own morae (tags it holds not counted), -1 when unknown.
    int wordMorae(int category, qsizetype index) const;

private:
    const std::array<WordList, 5> &m_lists;
    bool m_refrains;
    bool m_usable = false;
    std::array<Category, 5> m_categories;
    TagCounts m_counts;
};
