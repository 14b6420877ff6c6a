#pragma once

#include "FrameFiller.h"
#include "RandomSource.h"
#include "WordList.h"

#include <QHash>

#include <algorithm>
#include <array>

// Whether a turn of `list` over `t` can bring its own tag back, spelled out:
// a word holds the tag; or a word begins with the tag's second letter while
// its first letter can stand just before a tag (in t, or as the last letter
// of a word); or a word ends with the first letter while the second can
// stand just after a tag (after a held tag's digit); or a word is empty while
// both can.
inline bool literalCanBringBack(const QString &t, const WordList &list, bool refrains)
{
    const QChar a = list.Tag[0], b = list.Tag[1];
    bool aBefore = false, bAfter = false;
    for (qsizetype p = t.indexOf(list.Tag); p >= 0; p = t.indexOf(list.Tag, p + 2)) {
        aBefore = aBefore || (p > 0 && t[p - 1] == a);
        qsizetype after = p + 2;
        if (refrains && after < t.size() && t[after] >= '1' && t[after] <= '9')
            ++after;
        bAfter = bAfter || (after < t.size() && t[after] == b);
    }
    for (const QString &w : list.Words) {
        aBefore = aBefore || w.endsWith(a);
        bAfter = bAfter || w.startsWith(b);
    }
    return std::ranges::any_of(list.Words, [&](const QString &w) {
        return w.contains(list.Tag) || (w.startsWith(b) && aBefore) || (w.endsWith(a) && bAfter) ||
               (w.isEmpty() && aBefore && bAfter);
    });
}

// The filling exactly as first described: after every replacement the search
// starts again at the first character. Slow, but obviously right: the oracle
// that FrameFiller is compared with. Bounded like FrameFiller.
//
// With refrains: a tag followed by a digit 1-9 is held (the digit goes with
// it); the first one of a tag and digit draws, later ones take the same word
// without a draw. Draws take a word not yet used in this turn, counting the
// unused ones in file order; when none is left, any word of the list.
inline QString literalFill(const QString &frame, const std::array<WordList, 5> &lists,
                           RandomSource &random, bool refrains = false)
{
    QString t = frame;
    for (const WordList &list : lists) {
        if (list.Words.isEmpty())
            continue;
        const bool bounded = literalCanBringBack(t, list, refrains);
        const qsizetype longest = std::ranges::max(list.Words, {}, &QString::size).size();
        const qsizetype limit = FrameFiller::kMaxReplacements + t.count(list.Tag);
        const qsizetype maxGrowth = FrameFiller::kMaxGrowth + t.count(list.Tag) * longest;
        const qsizetype startLength = t.size();
        qsizetype replacements = 0;
        QList<bool> used(list.Words.size(), false);
        QHash<int, QString> held; // digit -> its word
        qsizetype p = t.indexOf(list.Tag);
        while (p >= 0) {
            int digit = 0;
            if (refrains && p + 2 < t.size() && t[p + 2] >= '1' && t[p + 2] <= '9')
                digit = t[p + 2].unicode() - '0';
            QString w;
            if (digit && held.contains(digit)) {
                w = held[digit];
            } else {
                const double r = random.next();
                if (!refrains || !used.contains(false)) {
                    w = list.Words[FrameFiller::pickIndex(r, list.Words.size())];
                } else {
                    QList<qsizetype> unused;
                    for (qsizetype i = 0; i < used.size(); ++i)
                        if (!used[i])
                            unused << i;
                    const qsizetype i = unused[FrameFiller::pickIndex(r, unused.size())];
                    used[i] = true;
                    w = list.Words[i];
                }
                if (digit)
                    held[digit] = w;
            }
            t = t.left(p) + w + t.mid(p + (digit ? 3 : 2));
            ++replacements;
            if (t.size() > FrameFiller::kMaxTextLength)
                return t;
            if (bounded && (replacements >= limit || t.size() - startLength > maxGrowth))
                return t;
            p = t.indexOf(list.Tag);
        }
    }
    return t;
}
