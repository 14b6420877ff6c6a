#include "SongState.h"

#include <algorithm>
#include <atomic>
#include <bit>

namespace
{

quint64 newEpoch()
{
    static std::atomic<quint64> epochs{0};
    return epochs.fetch_add(1, std::memory_order_relaxed) + 1;
}

void add(std::vector<qsizetype> &tree, qsizetype index)
{
    for (qsizetype i = index + 1; i < qsizetype(tree.size()); i += i & -i)
        ++tree[size_t(i)];
}

} // namespace

SongState::SongState() : m_epoch(newEpoch()) {}

SongState::SongState(const SongState &other)
    : m_held(other.m_held), m_used(other.m_used), m_heldSet(other.m_heldSet), m_epoch(newEpoch())
{
}

SongState &SongState::operator=(const SongState &other)
{
    if (this != &other) {
        m_held = other.m_held;
        m_used = other.m_used;
        m_heldSet = other.m_heldSet;
        m_epoch = newEpoch();
        m_changes = 0;
    }
    return *this;
}

void SongState::setBit(Used &u, qsizetype index, qsizetype listSize)
{
    if (u.bits.empty())
        u.bits.assign((size_t(listSize) + 63) / 64, 0);
    u.bits[size_t(index) >> 6] |= quint64(1) << (index & 63);
}

// Lists of used words stay short: a shift from the end beats a general insert.
void SongState::insertSorted(std::vector<qsizetype> &sorted, size_t from, qsizetype index)
{
    sorted.push_back(index);
    qsizetype *const d = sorted.data();
    size_t j = sorted.size() - 1;
    for (; j > from && d[j - 1] > index; --j)
        d[j] = d[j - 1];
    d[j] = index;
}

bool SongState::markUsed(int category, qsizetype index, qsizetype listSize)
{
    Used &u = m_used[size_t(category)];
    if (isUsed(category, index))
        return false;
    ++u.count;
    ++m_changes;
    setBit(u, index, listSize);
    if (!u.tree.empty()) {
        add(u.tree, index);
        return true;
    }
    insertSorted(u.sorted, 0, index);
    if (qsizetype(u.sorted.size()) > kFewUsed) {
        u.tree.assign(size_t(listSize) + 1, 0);
        for (const qsizetype i : u.sorted)
            add(u.tree, i);
    }
    return true;
}

qsizetype SongState::nthUnused(int category, qsizetype n, qsizetype listSize) const
{
    const Used &u = m_used[size_t(category)];
    if (u.tree.empty()) {
        // Step over every used index at or below the one sought. They
        // ascend: once one is past n, all later ones are. No early way out,
        // which the processor could not foresee.
        for (const qsizetype i : u.sorted)
            n += i <= n;
        return n;
    }
    // Descend the tree: the largest prefix with at most n unused words.
    qsizetype pos = 0;
    qsizetype step = 1;
    while (step * 2 <= listSize)
        step *= 2;
    for (; step > 0; step /= 2) {
        const qsizetype next = pos + step;
        if (next <= listSize) {
            const qsizetype unused = step - u.tree[size_t(next)];
            if (unused <= n) {
                pos = next;
                n -= unused;
            }
        }
    }
    return pos;
}

qsizetype SongState::takeUnused(int category, qsizetype n, qsizetype listSize)
{
    Used &u = m_used[size_t(category)];
    if (!u.tree.empty() || qsizetype(u.sorted.size()) >= kFewUsed) {
        const qsizetype i = nthUnused(category, n, listSize);
        markUsed(category, i, listSize);
        return i;
    }
    // Step over every used index at or below the one sought, and put it
    // in its place among them.
    size_t j = 0;
    for (; j < u.sorted.size() && u.sorted[j] <= n; ++j)
        ++n;
    insertSorted(u.sorted, j, n);
    ++u.count;
    ++m_changes;
    setBit(u, n, listSize);
    return n;
}

void SongState::clear()
{
    m_epoch = newEpoch();
    m_changes = 0;
    for (; m_heldSet; m_heldSet &= m_heldSet - 1)
        m_held[size_t(std::countr_zero(m_heldSet))] = Held();
    for (Used &u : m_used) {
        if (!u.tree.empty())
            std::fill(u.bits.begin(), u.bits.end(), 0);
        else
            for (const qsizetype i : u.sorted)
                u.bits[size_t(i) >> 6] = 0;
        u.count = 0;
        u.sorted.clear();
        u.tree.clear();
    }
}
