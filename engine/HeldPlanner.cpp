#include "HeldPlanner.h"

#include "RandomSource.h"
#include "SongState.h"

#include <algorithm>
#include <limits>
#include <numeric>

HeldPlanner::HeldPlanner(const TagCounts &counts) : m_counts(counts) {}

HeldPlanner::Plan HeldPlanner::plan(const QList<Line> &lines, const SongState &song) const
{
    Plan result;
    // The held tags not yet drawn that stand in lines with targets.
    QList<Held> &held = result.held;
    for (const Line &line : lines) {
        if (line.target <= 0 || line.fixed < 0)
            continue;
        for (const Tag &s : line.tags) {
            if (!s.digit || song.held(s.category, s.digit) || !m_counts.measurable(s.category) ||
                std::any_of(held.begin(), held.end(), [&](const Held &h) {
                    return h.category == s.category && h.digit == s.digit;
                }))
                continue;
            Held h{s.category, s.digit, {}};
            for (int v = 0; v <= TagCounts::kCap; ++v)
                if (m_counts.poly(s.category)[v] > 0.0)
                    h.counts << v;
            held << h;
        }
    }
    if (held.isEmpty())
        return result;
    // A count that overshoots a line by more than kSlack is never weighed:
    // fewer combinations, and only lines far off their target lose choice.
    constexpr int kSlack = 8;
    for (Held &h : held) {
        int most = TagCounts::kCap;
        for (const Line &line : lines) {
            if (line.target <= 0 || line.fixed < 0)
                continue;
            const auto copies = std::count_if(line.tags.begin(), line.tags.end(), [&](auto &s) {
                return s.digit == h.digit && s.category == h.category;
            });
            if (copies > 0)
                most = std::min(most, int((line.target - line.fixed + kSlack) / copies));
        }
        QList<int> counts;
        for (const int v : h.counts)
            if (v <= most || counts.isEmpty())
                counts << v;
        h.counts = counts;
    }
    // Held tags that share a line are weighed together, every combination
    // of their counts. Past the bound, the last of a group are left to be
    // drawn on the line they first stand in.
    const auto indexOf = [&](const Tag &s) {
        for (qsizetype h = 0; h < held.size(); ++h)
            if (s.digit && held[h].category == s.category && held[h].digit == s.digit)
                return int(h);
        return -1;
    };
    QList<int> group(held.size());
    std::iota(group.begin(), group.end(), 0);
    const auto root = [&](int h) {
        while (group[h] != h)
            h = group[h];
        return h;
    };
    for (const Line &line : lines) {
        if (line.target <= 0 || line.fixed < 0)
            continue;
        int first = -1;
        for (const Tag &s : line.tags)
            if (const int h = indexOf(s); h >= 0) {
                if (first < 0)
                    first = root(h);
                else if (root(h) != first)
                    group[root(h)] = first;
            }
    }
    QList<qsizetype> product(held.size(), 1);
    QList<Held> kept;
    for (int h = 0; h < int(held.size()); ++h) {
        qsizetype &p = product[root(h)];
        if (p * held[h].counts.size() > kMaxCombinations)
            continue;
        p *= held[h].counts.size();
        kept << held[h];
    }
    held = kept;
    std::sort(held.begin(), held.end(), [](const Held &a, const Held &b) {
        return a.category != b.category ? a.category < b.category : a.digit < b.digit;
    });

    // Per line with a target: the fixed part, the copies of each held tag,
    // and what the other tags can make.
    QList<LineFit> fits;
    for (const Line &line : lines) {
        if (line.target <= 0 || line.fixed < 0)
            continue;
        LineFit f{line.target - line.fixed, QList<int>(held.size(), 0), {}, {}};
        QList<int> &others = f.categories;
        bool involved = false, known = true;
        for (const Tag &s : line.tags) {
            const auto it = std::find_if(held.begin(), held.end(), [&](const Held &h) {
                return s.digit && h.category == s.category && h.digit == s.digit;
            });
            if (it != held.end()) {
                ++f.copies[it - held.begin()];
                involved = true;
            } else if (s.digit && song.held(s.category, s.digit)) {
                known = known && song.heldMorae(s.category, s.digit) >= 0;
                f.rest -= song.heldMorae(s.category, s.digit);
            } else {
                others << s.category;
            }
        }
        if (!involved || !known)
            continue;
        f.others = m_counts.productOf(others, Poly{1.0}, std::max(f.rest, 0));
        fits << f;
    }

    // Held tags that share no line are independent: each group of them
    // that lines tie together is chosen on its own.
    group = QList<int>(held.size());
    std::iota(group.begin(), group.end(), 0);
    for (const LineFit &f : fits) {
        int first = -1;
        for (int h = 0; h < int(held.size()); ++h)
            if (f.copies[h]) {
                if (first < 0)
                    first = root(h);
                else
                    group[root(h)] = first;
            }
    }
    for (int g = 0; g < int(held.size()); ++g) {
        if (root(g) != g)
            continue;
        QList<int> members;
        qsizetype combinations = 1;
        for (int h = 0; h < int(held.size()); ++h)
            if (root(h) == g) {
                members << h;
                combinations *= held[h].counts.size();
            }
        QList<const LineFit *> tied;
        for (const LineFit &f : fits)
            if (std::any_of(members.begin(), members.end(), [&](int h) { return f.copies[h] > 0; }))
                tied << &f;
        result.groups.emplace_back();
        weighCounts(held, members, combinations, tied, result.groups.back());
    }
    return result;
}

QVarLengthArray<int, 16> HeldPlanner::choose(const Plan &plan, RandomSource &random) const
{
    const QList<Held> &held = plan.held;
    QVarLengthArray<int, 16> value(held.size(), 0);
    for (const Plan::Group &group : plan.groups) {
        // The first combination whose running sum passes the draw.
        const double x = random.next() * group.total;
        // Past the last sum (rounding at the top end): the last combination.
        const auto drawable = qsizetype(group.combinations.size());
        const qsizetype j = std::min<qsizetype>(
            std::upper_bound(group.ends.begin(), group.ends.end(), x) - group.ends.begin(),
            drawable - 1);
        // Below kMaxCombinations: a 32-bit division is the quicker.
        quint32 chosen = j >= 0 ? quint32(group.combinations[size_t(j)]) : 0;
        for (const int h : group.members) {
            const auto counts = quint32(held[h].counts.size());
            value[h] = held[h].counts[qsizetype(chosen % counts)];
            chosen /= counts;
        }
    }
    return value;
}

void HeldPlanner::weighCounts(const QList<Held> &held, const QList<int> &members,
                              qsizetype combinations, const QList<const LineFit *> &fits,
                              Plan::Group &group) const
{
    QList<int> value(held.size(), 0);
    // Every combination of counts: the least missing first (a line that
    // cannot fit counts its distance to the nearest count it can reach, and
    // reaching above it a little more, as for one line), then by chance.
    // The lines' other tags are followed up to TagCounts::kCap only when some
    // combination must miss.
    std::vector<double> weights(size_t(combinations), 0.0);
    std::vector<int> misses(size_t(combinations), 0);
    std::vector<Poly> far(size_t(fits.size()));
    std::vector<std::vector<int>> nearest(size_t(fits.size()));
    constexpr int kNever = std::numeric_limits<int>::max() / 2;
    auto decode = [&](qsizetype c) {
        double w = 1.0;
        for (const int h : members) {
            value[h] = held[h].counts[c % held[h].counts.size()];
            c /= held[h].counts.size();
            w *= m_counts.poly(held[h].category)[size_t(value[h])];
        }
        return w;
    };
    auto weigh = [&](bool farther) {
        int least = kNever;
        for (qsizetype c = 0; c < combinations; ++c) {
            double w = decode(c);
            int miss = 0;
            for (qsizetype i = 0; i < fits.size() && miss < kNever; ++i) {
                const LineFit &f = *fits[i];
                int r = f.rest;
                for (const int h : members)
                    r -= f.copies[h] * value[h];
                if (!farther) {
                    const bool fits = r >= 0 && r < int(f.others.size()) && f.others[r] > 0.0;
                    miss = fits ? 0 : kNever;
                    w *= fits ? f.others[r] : 0.0;
                    continue;
                }
                const std::vector<int> &near = nearest[size_t(i)];
                const int t = near[size_t(std::clamp(r, 0, TagCounts::kCap))];
                if (t < 0) {
                    miss = kNever;
                    break;
                }
                miss += 2 * std::abs(t - r) + (t > r);
                w *= far[size_t(i)][t];
            }
            weights[size_t(c)] = w;
            misses[size_t(c)] = miss;
            least = std::min(least, miss);
        }
        return least;
    };
    if (weigh(false) != 0) {
        for (qsizetype i = 0; i < fits.size(); ++i) {
            const Poly &p = far[size_t(i)] =
                m_counts.productOf(fits[i]->categories, Poly{1.0}, TagCounts::kCap);
            // The reachable count nearest to each r, the lower one on a tie.
            std::vector<int> &near = nearest[size_t(i)];
            near.assign(TagCounts::kCap + 1, -1);
            int below = -1;
            for (int r = 0; r <= TagCounts::kCap; ++r) {
                below = p[r] > 0.0 ? r : below;
                near[r] = below;
            }
            int above = -1;
            for (int r = TagCounts::kCap; r >= 0; --r) {
                above = p[r] > 0.0 ? r : above;
                if (above >= 0 && (near[r] < 0 || above - r < r - near[r]))
                    near[r] = above;
            }
        }
        weigh(true);
    }
    const int least = *std::min_element(misses.begin(), misses.end());
    group.members = members;
    double total = 0.0;
    for (qsizetype c = 0; c < combinations; ++c)
        if (misses[size_t(c)] == least && weights[size_t(c)] > 0.0) {
            total += weights[size_t(c)];
            group.combinations.push_back(c);
            group.ends.push_back(total);
        }
    group.total = total;
}
