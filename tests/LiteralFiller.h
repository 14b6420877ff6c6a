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

// What a song has settled, spelled out: held tags as written -> their text;
// per list, which lines have been drawn.
struct LiteralSong {
    QHash<QString, QString> held;
    std::array<QList<bool>, 5> used;
};

// The filling exactly as first described: after every replacement the search
// starts again at the first character. Slow, but obviously right: the oracle
// that FrameFiller is compared with. Bounded like FrameFiller.
//
// With refrains: a tag followed by a digit 1-9 is held (the digit goes with
// it). The first one in the song draws a word and fills that word's tags
// right then, as a text of its own (its list and the later ones, in turn);
// every one after that, in this filling or a later one, is a copy of that
// text, without a draw. Each character remembers which copy it belongs to,
// and a tag whose two letters are in the same copy is not filled. A held tag
// met while its own text is being made stays as it stands, as a copy. Draws
// take a line not yet drawn in the song, counting the undrawn ones in file
// order; when none is left, any line of the list.
class LiteralFiller
{
public:
    LiteralFiller(const std::array<WordList, 5> &lists, RandomSource &random, bool refrains,
                  LiteralSong &song)
        : m_lists(lists), m_random(random), m_refrains(refrains), m_song(song)
    {
    }

    QString fill(const QString &frame)
    {
        QString t = frame;
        QList<int> copyOf(t.size(), 0);
        turns(t, copyOf, 0);
        return t;
    }

private:
    void turns(QString &t, QList<int> &copyOf, int first)
    {
        for (int k = first; k < 5 && !m_stopped; ++k)
            if (!m_lists[k].Words.isEmpty())
                turn(t, copyOf, k);
    }

    static qsizetype find(const QString &t, const QList<int> &copyOf, const QString &tag)
    {
        for (qsizetype p = t.indexOf(tag); p >= 0; p = t.indexOf(tag, p + 1))
            if (copyOf[p] == 0 || copyOf[p] != copyOf[p + 1])
                return p;
        return -1;
    }

    const QString &drawWord(int k)
    {
        const QStringList &words = m_lists[k].Words;
        const double r = m_random.next();
        QList<bool> &used = m_song.used[k];
        used.resize(words.size(), false);
        if (!m_refrains || !used.contains(false))
            return words[FrameFiller::pickIndex(r, words.size())];
        QList<qsizetype> unused;
        for (qsizetype i = 0; i < used.size(); ++i)
            if (!used[i])
                unused << i;
        const qsizetype i = unused[FrameFiller::pickIndex(r, unused.size())];
        used[i] = true;
        return words[i];
    }

    void turn(QString &t, QList<int> &copyOf, int k)
    {
        const WordList &list = m_lists[k];
        const bool bounded = literalCanBringBack(t, list, m_refrains);
        const qsizetype longest = std::ranges::max(list.Words, {}, &QString::size).size();
        const qsizetype limit = FrameFiller::kMaxReplacements + t.count(list.Tag);
        const qsizetype maxGrowth = FrameFiller::kMaxGrowth + t.count(list.Tag) * longest;
        const qsizetype startLength = t.size();
        qsizetype replacements = 0;
        qsizetype p = find(t, copyOf, list.Tag);
        while (p >= 0) {
            int digit = 0;
            if (m_refrains && p + 2 < t.size() && t[p + 2] >= '1' && t[p + 2] <= '9')
                digit = t[p + 2].unicode() - '0';
            const QString name = t.mid(p, digit ? 3 : 2);
            QString w;
            if (!digit) {
                w = drawWord(k);
            } else if (m_song.held.contains(name)) {
                w = m_song.held[name];
            } else if (m_making.contains(name)) {
                w = name;
            } else {
                w = drawWord(k);
                m_making << name;
                QList<int> inner(w.size(), 0);
                turns(w, inner, k);
                m_making.removeLast();
                m_song.held[name] = w;
            }
            const QList<int> marks(w.size(), digit ? ++m_copies : 0);
            t = t.left(p) + w + t.mid(p + name.size());
            copyOf = copyOf.first(p) + marks + copyOf.sliced(p + name.size());
            ++replacements;
            if (m_stopped || t.size() > FrameFiller::kMaxTextLength) {
                m_stopped = true;
                return;
            }
            p = find(t, copyOf, list.Tag);
            // Past the bound the filling stops, unless the turn is over.
            if (bounded && (replacements >= limit || t.size() - startLength > maxGrowth)) {
                m_stopped = p >= 0;
                return;
            }
        }
    }

    const std::array<WordList, 5> &m_lists;
    RandomSource &m_random;
    bool m_refrains;
    LiteralSong &m_song;
    QStringList m_making; // held tags whose text is being made
    int m_copies = 0;
    bool m_stopped = false;
};

inline QString literalFill(const QString &frame, const std::array<WordList, 5> &lists,
                           RandomSource &random, bool refrains = false, LiteralSong *song = nullptr)
{
    LiteralSong own;
    return LiteralFiller(lists, random, refrains, song ? *song : own).fill(frame);
}
