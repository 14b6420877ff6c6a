#pragma once

#include "TagCounts.h"

#include <QList>
#include <QVarLengthArray>
#include <vector>

class RandomSource;
class SongState;

// Settles the counts of the held tags (refrains) that stand in lines with
// targets, before any word of a frame is drawn: a held word fills every line
// it stands in, so it is chosen for all of them at once. The held tags that
// lines tie together form a group; every combination of their counts is
// weighed by its chance times the chance of each tied line fitting (lines
// that cannot all fit: the least total miss first). Exact, except that a
// count overshooting one of its lines by more than 8 morae is not weighed,
// and past kMaxCombinations the last tags of a group are left to be drawn on
// the line they first stand in.
class HeldPlanner
{
public:
    using Poly = TagCounts::Poly;
    static constexpr int kMaxCombinations = 1 << 15;

    struct Tag {
        int category;
        int digit; // 0: a plain tag
    };
    // A line of a frame: its target (0: none), the morae of its fixed text
    // (-1: unknown), and its tags in order.
    struct Line {
        int target = 0;
        int fixed = -1;
        QList<Tag> tags;
    };
    struct Held {
        int category, digit;
        QList<int> counts; // those it can take
    };
    // The weighed combinations of held counts for one frame and one state of
    // the song's held words: the same whatever the draws.
    struct Plan {
        // The combinations that can be drawn (least missing, weight above
        // zero) in order, with the running sums of their weights.
        struct Group {
            QList<int> members;
            std::vector<qsizetype> combinations;
            std::vector<double> ends;
            double total = 0.0;
        };
        QList<Held> held; // by category, then digit
        std::vector<Group> groups;
    };

    explicit HeldPlanner(const TagCounts &counts);

    // The held tags of `lines` that the song has not settled yet.
    Plan plan(const QList<Line> &lines, const SongState &song) const;
    // One count per held tag of the plan, in its order: one draw per group.
    QVarLengthArray<int, 16> choose(const Plan &plan, RandomSource &random) const;

private:
    // A line with a target, as the held tags in it see it.
    struct LineFit {
        int rest;              // the target less the fixed text and settled held words
        QList<int> copies;     // of each held tag
        QList<int> categories; // of the other tags
        Poly others;           // what they can make, up to rest
    };
    void weighCounts(const QList<Held> &held, const QList<int> &members, qsizetype combinations,
                     const QList<const LineFit *> &fits, Plan::Group &group) const;

    const TagCounts &m_counts;
};
