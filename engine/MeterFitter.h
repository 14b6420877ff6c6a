#pragma once

#include "FrameFiller.h"
#include "HeldPlanner.h"
#include "LyricData.h"
#include "MeterLists.h"
#include "SongState.h"

#include <QList>
#include <QString>
#include <QVarLengthArray>
#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

class RandomSource;

// Fills the frames whose lines ask for a number of morae ("'!拍 N").
//
// Every tag is drawn as the plain filling draws it (uniform over its list,
// chained tags filled with their own lists), so a line's mora count has the
// distribution x^F * prod P_k(x), F the fixed text's morae and P_k the
// generating function of one tag of category k: the word's own morae times
// the P of the tags it holds. A line with a target N is drawn from that
// distribution conditioned on the count being N, which is what filling it
// again and again until it fits would give: each tag, left to right (a
// chained word's tags right after it), takes a word with weight
// (its share of the list) * (the chance that the rest of the line then
// makes up exactly N), read off products of the P truncated at N. One draw
// per tag, whatever the chance of fitting.
//
// Rules kept, and where they make the draw approximate:
// - Words without a known count never fill a line with a target while their
//   list has counted words; a list without any counts as 0 morae. The
//   reference is then rejection over the counted words.
// - Held tags (refrains) in lines with targets are chosen first, their
//   counts by HeldPlanner, then each word to its count. A word that holds
//   a held tag counts as a word without a count.
// - No repeats: a tag takes an unused word, weighed as above but with the
//   chance of the rest counted over the whole lists (approximate: the rest
//   also avoids used words). When no unused word can make the line fit, a
//   used one may: the target comes before the no-repeat rule.
// - Unreachable target: the reachable count closest to it; between two at
//   the same distance the shorter, since a singer can stretch a mora over
//   two notes more easily than squeeze two onto one.
// Lines without a target are drawn plainly. Lists whose words can make or
// break a tag at a seam, or bring back their own tag, are filled by
// FrameFiller as they are, targets aside (see isUsable()).
class MeterFitter
{
public:
    static constexpr int kCap = TagCounts::kCap;

    // The morae a line can reach, for checks.
    struct Reach {
        bool known = false;          // fixed text and every slot have counts
        std::vector<bool> reachable; // by count, 0 .. kCap
        int min() const;             // -1 when none
        int max() const;
        bool reaches(int n) const { return n >= 0 && n < int(reachable.size()) && reachable[n]; }
    };

    MeterFitter(const std::array<WordList, 5> &lists, FrameFiller::Rules rules);

    // Whether words can only chain later categories: no seams, no tag that
    // comes back. Otherwise targets are left to FrameFiller.
    bool isUsable() const { return m_words.isUsable(); }

    // Fills a frame; targets[i] and lineReadings[i] belong to line i (element
    // i + 1 of frame.split(CR LF)), 0 and missing meaning none. An empty
    // lineReadings counts the line's own text.
    QString fill(const QString &frame, const QStringList &lineReadings, const QList<int> &targets,
                 SongState &song, RandomSource &random) const;

    Reach reach(const QString &line, const QString &reading, bool readingKnown) const;

    // A word's own morae (tags it holds not counted), -1 when unknown.
    int wordMorae(int category, qsizetype index) const
    {
        return m_words.wordMorae(category, index);
    }
    // The morae of a reading with tags left in it, tags not counted.
    int fixedMorae(QStringView reading) const { return m_words.fixedMorae(reading); }

private:
    using Poly = TagCounts::Poly;
    static constexpr size_t kPad = MeterLists::kPad;
    static constexpr size_t kShort = MeterLists::kShort;
    using Slot = MeterLists::Slot;
    using Word = MeterLists::Word;
    using Signature = MeterLists::Signature;
    using Category = MeterLists::Category;
    // The text being filled: pieces are short, and a plain copy into room
    // kept from frame to frame costs less than a string's append. Pieces
    // from texts with kPad characters of room past their end (frames, the
    // lists' words) go in whole blocks: no branch on the length, which the
    // processor cannot foresee.
    class Text
    {
    public:
        void append(const char16_t *p, size_t n)
        {
            if (n == 0) // and maybe no room yet: memcpy takes no null pointer
                return;
            std::memcpy(roomFor(n) + m_size, p, n * sizeof(char16_t));
            m_size += n;
        }
        // p has kPad readable characters past p + n.
        void appendPadded(const char16_t *p, size_t n)
        {
            char16_t *const o = roomFor(n) + m_size;
            size_t i = 0;
            do {
                std::memcpy(o + i, p + i, kPad * sizeof(char16_t));
                i += kPad;
            } while (i < n);
            m_size += n;
        }
        // p has kShort characters, n of them the piece: one fixed move.
        void appendShort(const char16_t *p, size_t n)
        {
            std::memcpy(roomFor(kShort) + m_size, p, kShort * sizeof(char16_t));
            m_size += n;
        }
        const char16_t *data() const { return m_room.data(); }
        size_t size() const { return m_size; }
        void clear() { m_size = 0; }

    private:
        char16_t *roomFor(size_t n)
        {
            if (size_t(m_room.size()) - m_size < n + kPad)
                m_room.resize(std::max(2 * m_room.size(), m_size + n + kPad + 256));
            return m_room.data();
        }
        std::vector<char16_t> m_room;
        size_t m_size = 0;
    };
    static void put(Text &out, QStringView piece)
    {
        out.append(piece.utf16(), size_t(piece.size()));
    }
    // A piece of a text with kPad characters of room past it: a frame
    // plan's, or the lists' words.
    static void putPadded(Text &out, QStringView piece)
    {
        out.appendPadded(piece.utf16(), size_t(piece.size()));
    }
    static QString textOf(const Text &out, size_t from);
    // How one tag draws with a number of morae left, worked out once: the
    // signatures that can still make the line fit, each with its chance of
    // doing so, and the running sums of chance * words that a draw from the
    // whole list (no word used yet) reads. Shared by every line whose tags
    // after this one are the same (see restOf()).
    struct Choice {
        // With what a draw reads of the signature, so that it need not look.
        struct Entry {
            qint32 signature;
            qint32 morae;
            qint32 words; // of the signature
            qint32 first; // where its words start in Category::bySignature
            double chance;
            double end;
        };
        bool ready = false;
        double total = 0.0;
        std::vector<Entry> entries;
    };
    // How a line with a target fills, for one state of its held tags.
    // What a filling reads first, first.
    struct LinePlan {
        bool ready = false;
        bool measured = false;
        int target = -1; // -1: no count reachable
        // Held tags first met on the line: digit negated. Most lines have a
        // few tags: they lie in the plan, which lies in the line.
        QVarLengthArray<Slot, 4> tags;
        quint64 key = 0;          // settled, packed (see linePlanFor())
        std::vector<int> settled; // per held tag: its count, -2 while not held
    };
    // A line's first plan lies in it, the only one of a line without held
    // tags: a filling reads what it needs of a line from one place.
    struct Line {
        int target = 0; // 0: none
        int fixed = -1; // morae of the fixed text; -1 when unknown
        int held = 0;   // tags held: plans by the held words' counts
        // The first held tags, for the plans' keys (see linePlanFor()).
        struct HeldAt {
            qint8 category, digit;
        };
        std::array<HeldAt, 7> heldAt{};
        LinePlan first;
        QList<Slot> tags;
        std::vector<LinePlan> more;
    };
    class Song;
    // What the fitter noted about the song it last filled (see Song): per
    // category and signature, the places (in the signature's words) of the
    // used words, ascending. One block per category, laid out as
    // Category::bySignature: a signature's places start where its words do.
    struct Notes {
        SongState::Stamp stamp;
        bool ready = false; // laid out
        std::array<std::vector<qsizetype>, 5> used;
        std::array<std::vector<qsizetype>, 5> usedCounts; // by signature
        std::vector<std::pair<int, int>> touched;         // signatures with used words
    };
    // What a frame's text, readings and targets settle, worked out once.
    struct FramePlan {
        QString frame;
        QStringList readings;
        QList<int> targets;
        std::u16string padded;           // frame, kPad spare
        std::vector<QStringView> pieces; // of padded
        std::vector<Line> lines;
        QList<std::pair<int, int>> heldSlots; // (category, digit) in lines with targets
        QList<HeldPlanner::Line> heldLines;   // the lines, as the held planner reads them
        std::vector<std::pair<std::vector<int>, HeldPlanner::Plan>> heldPlans;
    };

    FramePlan &planFor(const QString &frame, const QStringList &lineReadings,
                       const QList<int> &targets) const;
    const HeldPlanner::Plan &heldPlanFor(FramePlan &plan, Song &song) const;
    qsizetype plainIndex(int k, Song &song, RandomSource &random) const;
    QString expand(int k, qsizetype index, int &morae, Song &song, RandomSource &random) const;
    void fittedFill(int k, int target, const Poly &rest, int &used, Song &song,
                    RandomSource &random, Text &out, Choice *memo = nullptr) const;
    void makeChoice(int k, int target, const Poly &rest, Choice &choice) const;
    std::vector<Poly> suffixes(const QList<Slot> &tags, int target, const Poly &rest) const;
    // What the tags of `categories` (in line order) can make, up to kCap,
    // as an index into m_rests; worked out once per sequence.
    int restOf(const QList<int> &categories) const;
    Choice &choiceFor(int k, int rest, int left) const;
    // Either suffix (what the tags from i on can make) or, without it, the
    // tags' rests (a line's plan) say what is left after each tag. The text
    // has kPad characters of room past its end.
    void fillSlotsTo(QStringView text, std::span<const Slot> tags, int target,
                     const std::vector<Poly> *suffix, int &used, Song &song, RandomSource &random,
                     Text &out) const;
    void markUsed(int k, qsizetype index, Song &song) const;
    void chooseHeld(const HeldPlanner::Plan &plan, Song &song, RandomSource &random) const;
    LinePlan &linePlanFor(Line &line, Song &song) const;
    void planLine(const Line &line, Song &song, LinePlan &plan) const;
    void fillLine(QStringView text, Line &line, Song &song, RandomSource &random, Text &out) const;
    void fillPlainly(QStringView text, const QList<Slot> &tags, Song &song, RandomSource &random,
                     Text &out) const;
    QString heldOrDraw(const Slot &slot, int &morae, Song &song, RandomSource &random) const;

    const std::array<WordList, 5> &m_lists;
    FrameFiller m_plain;
    bool m_refrains;
    MeterLists m_words;
    HeldPlanner m_heldPlanner{m_words.counts()};
    mutable Notes m_notes;
    mutable Text m_text;     // the frame being filled; keeps its room
    mutable Text m_heldText; // a held word being chosen
    // What sequences of plain tags can make: restOf() keys, polynomials,
    // and the choices by category and morae left of each.
    mutable std::unordered_map<std::string, int> m_restIds;
    mutable std::vector<Poly> m_rests;
    mutable std::vector<std::vector<Choice>> m_choices; // by rest * 5 + category, then left
    int m_alone = 0; // restOf() no tags: a held word chosen on its own
    // By the frame text's address; each plan keeps its text, so an address
    // stands for one text while its plan lives.
    mutable std::unordered_map<const QChar *, std::unique_ptr<FramePlan>> m_plans;
};
