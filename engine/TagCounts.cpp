#include "TagCounts.h"

void TagCounts::set(int k, Poly poly, bool measurable)
{
    m_polys[size_t(k)] = std::move(poly);
    m_measurable[size_t(k)] = measurable;
}

TagCounts::Poly TagCounts::times(const Poly &a, const Poly &b, int upTo)
{
    Poly c(size_t(upTo) + 1, 0.0);
    for (int i = 0; i < int(a.size()) && i <= upTo; ++i) {
        if (a[i] == 0.0)
            continue;
        for (int j = 0; j < int(b.size()) && i + j <= upTo; ++j)
            c[i + j] += a[i] * b[j];
    }
    return c;
}

TagCounts::Poly TagCounts::productOf(const QList<int> &categories, const Poly &rest, int upTo) const
{
    Poly p = rest;
    p.resize(size_t(upTo) + 1, 0.0);
    for (const int k : categories)
        p = times(m_polys[size_t(k)], p, upTo);
    return p;
}
