#pragma once

#include <QList>
#include <array>
#include <vector>

// What a tag of each category comes to in morae, as a generating function:
// poly(k)[n] is the chance that a tag of category k, filled as the plain
// filling fills it (a word drawn evenly from its list, the tags it holds
// filled in turn), makes n morae. Products of them say what a run of tags
// can make.
class TagCounts
{
public:
    using Poly = std::vector<double>;
    static constexpr int kCap = 128; // counts above this are not followed

    void set(int k, Poly poly, bool measurable);
    const Poly &poly(int k) const { return m_polys[size_t(k)]; }
    // False for a list without a counted word: its tags count as none.
    bool measurable(int k) const { return m_measurable[size_t(k)]; }

    // a * b up to x^upTo. Each count sums its terms in the order of a's
    // index, so a product cut lower has the same sums below the cut.
    static Poly times(const Poly &a, const Poly &b, int upTo);
    // The tags of `categories`, first to last, each times what came before,
    // starting from rest; up to x^upTo.
    Poly productOf(const QList<int> &categories, const Poly &rest, int upTo) const;

private:
    std::array<Poly, 5> m_polys;
    std::array<bool, 5> m_measurable{};
};
