#pragma once

#include <QString>
#include <array>
#include <vector>

// What one song has settled so far, in frame files with refrains: the text
// each held tag ("No1") was filled with, inner tags included, and per
// category which words (lines of the list, by index) have been drawn. It
// lasts from New lyrics to the next New lyrics: the engine owns it and
// clears it then; the fillers read it and add to it.
class SongState
{
public:
    static constexpr int kCategories = 5;

    // The text of the held tag of `category` with digit 1-9, or nullptr while
    // it has none. The pointer stays valid until clear().
    const QString *held(int category, int digit) const
    {
        const Held &h = m_held[slot(category, digit)];
        return h.set ? &h.text : nullptr;
    }
    // `morae`: the held text's count, where the filler knew it (-1: unknown).
    void hold(int category, int digit, QString text, int morae = -1)
    {
        m_held[slot(category, digit)] = {std::move(text), morae, true};
        m_heldSet |= quint64(1) << slot(category, digit);
    }
    // The held text's count; -1 when unknown, -2 while not held.
    int settledMorae(int category, int digit) const
    {
        const Held &h = m_held[slot(category, digit)];
        return h.set ? h.morae : -2;
    }
    // The count given with the held text; -1 when unknown or not held.
    int heldMorae(int category, int digit) const
    {
        const Held &h = m_held[slot(category, digit)];
        return h.set ? h.morae : -1;
    }

    qsizetype usedCount(int category) const { return m_used[size_t(category)].count; }
    bool isUsed(int category, qsizetype index) const
    {
        const std::vector<quint64> &bits = m_used[size_t(category)].bits;
        const size_t word = size_t(index) >> 6;
        return index >= 0 && word < bits.size() && (bits[word] >> (index & 63)) & 1;
    }
    // Marks word `index` of a list of `listSize` words as used (once only);
    // false when it already was.
    bool markUsed(int category, qsizetype index, qsizetype listSize);
    // The index of the n-th word not yet used, counting in file order from
    // 0: n < listSize - usedCount(category).
    qsizetype nthUnused(int category, qsizetype n, qsizetype listSize) const;
    // nthUnused() and markUsed() in one step.
    qsizetype takeUnused(int category, qsizetype n, qsizetype listSize);

    void clear();

    // Changes whenever a word is marked used or the song is cleared: a
    // filler that keeps notes on the used words knows them current while the
    // stamp is the one it noted. No two songs, nor two states, share a stamp.
    struct Stamp {
        quint64 epoch = 0, changes = 0;
        bool operator==(const Stamp &) const = default;
    };
    Stamp stamp() const { return {m_epoch, m_changes}; }

    SongState();
    SongState(const SongState &other);
    SongState &operator=(const SongState &other);

private:
    static size_t slot(int category, int digit) { return size_t(category * 10 + digit); }

    struct Held {
        QString text;
        int morae = -1;
        bool set = false;
    };
    // The used indices of one list: sorted while few, then a Fenwick tree
    // over the whole list, so that clearing a song costs little and a long
    // song over a long list stays fast.
    // A bit per word answers isUsed() at once (the meter fitting asks it of
    // whole lists).
    struct Used {
        qsizetype count = 0;
        std::vector<qsizetype> sorted; // keeps its room from song to song
        std::vector<qsizetype> tree;
        std::vector<quint64> bits;
    };
    static constexpr qsizetype kFewUsed = 128;
    static void setBit(Used &u, qsizetype index, qsizetype listSize);
    static void insertSorted(std::vector<qsizetype> &sorted, size_t from, qsizetype index);

    std::array<Held, kCategories * 10> m_held;
    std::array<Used, kCategories> m_used;
    quint64 m_heldSet = 0; // by slot()
    quint64 m_epoch;
    quint64 m_changes = 0;
};
