#include "SongState.h"

#include <algorithm>

namespace
{

qsizetype prefix(const std::vector<qsizetype> &tree, qsizetype n)
{
    qsizetype sum = 0;
    for (qsizetype i = n; i > 0; i -= i & -i)
        sum += tree[size_t(i)];
    return sum;
}

void add(std::vector<qsizetype> &tree, qsizetype index)
{
    for (qsizetype i = index + 1; i < qsizetype(tree.size()); i += i & -i)
        ++tree[size_t(i)];
}

} // namespace

bool SongState::isUsed(int category, qsizetype index) const
{
    const Used &u = m_used[size_t(category)];
    if (u.tree.empty())
        return std::binary_search(u.sorted.cbegin(), u.sorted.cend(), index);
    return prefix(u.tree, index + 1) - prefix(u.tree, index) > 0;
}

void SongState::markUsed(int category, qsizetype index, qsizetype listSize)
{
    Used &u = m_used[size_t(category)];
    if (isUsed(category, index))
        return;
    ++u.count;
    if (!u.tree.empty()) {
        add(u.tree, index);
        return;
    }
    u.sorted.insert(std::lower_bound(u.sorted.begin(), u.sorted.end(), index), index);
    if (u.sorted.size() > kFewUsed) {
        u.tree.assign(size_t(listSize) + 1, 0);
        for (const qsizetype i : u.sorted)
            add(u.tree, i);
    }
}

qsizetype SongState::nthUnused(int category, qsizetype n, qsizetype listSize) const
{
    const Used &u = m_used[size_t(category)];
    if (u.tree.empty()) {
        // Step over every used index at or below the one sought.
        for (const qsizetype i : u.sorted) {
            if (i > n)
                break;
            ++n;
        }
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

void SongState::clear()
{
    for (Held &h : m_held)
        if (h.set)
            h = Held();
    for (Used &u : m_used) {
        u.count = 0;
        u.sorted.clear();
        u.tree.clear();
    }
}
