#include "FrameFiller.h"

#include "RandomSource.h"

#include <QVarLengthArray>
#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace
{

bool isHoldDigit(char16_t c)
{
    return c >= u'1' && c <= u'9';
}

// Position of the first `a` directly followed by `b` in s, or -1. A plain
// loop: the texts are short, and a general search costs more to set up.
qsizetype findPair(QStringView s, char16_t a, char16_t b)
{
    const char16_t *p = s.utf16();
    const qsizetype n = s.size();
    for (qsizetype i = 0; i + 1 < n; ++i)
        if (p[i] == a && p[i + 1] == b)
            return i;
    return -1;
}

qsizetype countPairs(QStringView s, char16_t a, char16_t b)
{
    qsizetype count = 0;
    for (qsizetype at = findPair(s, a, b); at >= 0; at = findPair(s, a, b)) {
        ++count;
        s = s.sliced(at + 2);
    }
    return count;
}

// Draws the word indices of one category's turn. Classic: any word, each
// time. No repeats: only words not yet used in this turn, counted in file
// order; once all are used, any word again for the rest of the turn. The
// used indices are kept in a sorted array while few, and in a Fenwick tree
// once many, so that a long frame over a long list stays fast.
class WordDraw
{
public:
    WordDraw(qsizetype words, bool noRepeats) : m_n(words), m_noRepeats(noRepeats) {}

    qsizetype take(double r)
    {
        if (!m_noRepeats || m_used == m_n)
            return FrameFiller::pickIndex(r, m_n);
        qsizetype k = FrameFiller::pickIndex(r, m_n - m_used);
        ++m_used;
        if (m_tree.empty()) {
            // The k-th unused index: step over every used one at or below it.
            qsizetype j = 0;
            for (; j < m_sorted.size() && m_sorted[j] <= k; ++j)
                ++k;
            m_sorted.insert(m_sorted.cbegin() + j, k);
            if (m_sorted.size() > kFewUsed) {
                m_tree.assign(size_t(m_n) + 1, 0);
                for (const qsizetype u : m_sorted)
                    markUsed(u);
            }
            return k;
        }
        // Descend the tree: the largest prefix with at most k unused words.
        qsizetype pos = 0;
        qsizetype step = 1;
        while (step * 2 <= m_n)
            step *= 2;
        for (; step > 0; step /= 2) {
            const qsizetype next = pos + step;
            if (next <= m_n) {
                const qsizetype unused = step - m_tree[size_t(next)];
                if (unused <= k) {
                    pos = next;
                    k -= unused;
                }
            }
        }
        markUsed(pos);
        return pos;
    }

private:
    static constexpr qsizetype kFewUsed = 128;

    void markUsed(qsizetype index)
    {
        for (qsizetype i = index + 1; i <= m_n; i += i & -i)
            ++m_tree[size_t(i)];
    }
    qsizetype m_n;
    bool m_noRepeats;
    qsizetype m_used = 0;
    QVarLengthArray<qsizetype, 16> m_sorted;
    std::vector<qsizetype> m_tree;
};

// The words held in one category's turn, by digit; -1 while not yet drawn.
struct Held {
    std::array<qsizetype, 10> index;
    Held() { index.fill(-1); }

    // The word for a tag with `digit` (0: not held): the held one, or a draw.
    qsizetype pick(int digit, WordDraw &draw, RandomSource &random)
    {
        if (digit && index[digit] >= 0)
            return index[digit];
        const qsizetype i = draw.take(random.next());
        if (digit)
            index[digit] = i;
        return i;
    }
};

} // namespace

FrameFiller::ListTraits FrameFiller::traits(const WordList &list)
{
    ListTraits t;
    const QStringView tag(list.Tag);
    if (tag.size() != 2)
        return t;
    for (const QString &word : list.Words) {
        if (word.isEmpty()) {
            t.hasEmpty = true;
            continue;
        }
        t.longest = std::max(t.longest, word.size());
        t.holdsTag = t.holdsTag || word.contains(tag);
        t.beginsWithSecond = t.beginsWithSecond || word.front() == tag[1];
        t.endsWithFirst = t.endsWithFirst || word.back() == tag[0];
    }
    return t;
}

bool FrameFiller::canBringBack(QStringView text, const WordList &list, const ListTraits &traits,
                               Rules rules)
{
    if (list.Tag.size() != 2)
        return false;
    if (traits.holdsTag || (traits.beginsWithSecond && traits.endsWithFirst))
        return true;
    if (!traits.beginsWithSecond && !traits.endsWithFirst && !traits.hasEmpty)
        return false;
    // Until a tag comes back, the tags of the text are replaced left to right
    // and only the characters around each of them meet a word.
    const char16_t first = list.Tag[0].unicode(), second = list.Tag[1].unicode();
    bool firstBefore = traits.endsWithFirst, secondAfter = traits.beginsWithSecond;
    const char16_t *p = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = findPair(text, first, second); i >= 0;) {
        if (i > 0 && p[i - 1] == first)
            firstBefore = true;
        qsizetype after = i + 2;
        if (rules == Rules::Refrains && after < n && isHoldDigit(p[after]))
            ++after; // a held tag takes its digit with it
        if (after < n && p[after] == second)
            secondAfter = true;
        const qsizetype next = findPair(text.sliced(i + 2), first, second);
        i = next < 0 ? -1 : i + 2 + next;
    }
    return (traits.beginsWithSecond && firstBefore) || (traits.endsWithFirst && secondAfter) ||
           (traits.hasEmpty && firstBefore && secondAfter);
}

FrameFiller::FrameFiller(const std::array<WordList, 5> &lists, Rules rules)
    : m_lists(lists), m_rules(rules), m_inert(inert(lists, rules))
{
    for (int k = 0; k < 5; ++k)
        m_traits[k] = traits(lists[k]);
}

// One category's turn over `text`. `pending` is a stack of views still to be
// scanned: the top is what comes next in the text. `out` never holds a tag,
// so the first tag of out + pending is at the seam or inside pending.
QString FrameFiller::fillCategory(const QString &text, int k, RandomSource &random,
                                  bool &stopped) const
{
    const WordList &list = m_lists[k];
    const QStringView tag(list.Tag);
    if (tag.size() != 2)
        return text;
    const char16_t first = tag[0].unicode(), second = tag[1].unicode();
    const qsizetype start = findPair(text, first, second);
    if (start < 0)
        return text;
    const bool refrains = m_rules == Rules::Refrains;

    // Only a turn that can bring back its own tag is bounded.
    const bool bounded = canBringBack(text, list, m_traits[k], m_rules);
    // Every tag the turn begins with gets its word; the bound comes on top.
    const qsizetype tags = bounded ? countPairs(QStringView(text).sliced(start), first, second) : 0;
    const qsizetype limit = kMaxReplacements + tags;
    const qsizetype maxGrowth = kMaxGrowth + tags * m_traits[k].longest;
    const qsizetype startLength = text.size();
    qsizetype replacements = 0, length = startLength;
    auto exhausted = [&] {
        return length > kMaxTextLength ||
               (bounded && (replacements >= limit || length - startLength > maxGrowth));
    };

    WordDraw draw(list.Words.size(), refrains);
    Held held;

    QString out;
    out.reserve(text.size() + text.size() / 2);
    out.append(QStringView(text).first(start));
    QVarLengthArray<QStringView, 32> pending;
    pending.append(QStringView(text).sliced(start));

    // The tag has just been taken out of out + pending, and pending holds no
    // empty view, so a held tag's digit can only be at the front of the top.
    auto replace = [&]() {
        int digit = 0;
        if (refrains && !pending.empty() && isHoldDigit(pending.back().front().unicode())) {
            digit = pending.back().front().unicode() - u'0';
            pending.back() = pending.back().sliced(1);
            if (pending.back().isEmpty())
                pending.removeLast();
        }
        const QString &word = list.Words[held.pick(digit, draw, random)];
        ++replacements;
        length += word.size() - (digit ? 3 : 2);
        if (!word.isEmpty())
            pending.append(QStringView(word));
    };

    // Takes the first n characters off the top view, dropping it when empty.
    auto consume = [&](qsizetype n) {
        pending.back() = pending.back().sliced(n);
        if (pending.back().isEmpty())
            pending.removeLast();
    };
    while (!pending.empty() && !exhausted()) {
        const QStringView top = pending.back();
        if (!out.isEmpty() && out.back().unicode() == first && top.front().unicode() == second) {
            out.chop(1);
            consume(1);
            replace();
            continue;
        }
        const qsizetype at = findPair(top, first, second);
        if (at < 0) {
            out += top;
            pending.removeLast();
            continue;
        }
        out += top.first(at);
        consume(at + tag.size());
        replace();
    }
    stopped = exhausted();
    // Stopped by the bound: the rest of the text follows unchanged.
    for (qsizetype i = pending.size() - 1; i >= 0; --i)
        out += pending[i];
    return out;
}

bool FrameFiller::inert(const std::array<WordList, 5> &lists, Rules rules)
{
    for (const WordList &a : lists) {
        if (a.Tag.size() != 2)
            return false;
        for (const WordList &b : lists)
            if (a.Tag[1] == b.Tag[0])
                return false;
    }
    // Only a word holding a tag letter (or, with refrains, a digit) needs a
    // closer look; real words hold none, and lists can be long.
    std::array<bool, 128> special{};
    for (const WordList &t : lists)
        for (const QChar c : t.Tag) {
            if (c.unicode() >= 128)
                return false;
            special[c.unicode()] = true;
        }
    if (rules == Rules::Refrains)
        for (char c = '1'; c <= '9'; ++c)
            special[size_t(c)] = true;
    for (const WordList &list : lists)
        for (const QString &word : list.Words) {
            if (word.isEmpty())
                return false;
            bool plain = true;
            for (const QChar c : word)
                if (c.unicode() < 128 && special[c.unicode()]) {
                    plain = false;
                    break;
                }
            if (plain)
                continue;
            if (rules == Rules::Refrains && isHoldDigit(word.front().unicode()))
                return false;
            for (const WordList &t : lists)
                if (word.front() == t.Tag[1] || word.back() == t.Tag[0] || word.contains(t.Tag))
                    return false;
        }
    return true;
}

FrameFiller::TagPlan FrameFiller::planTags(const QString &frame) const
{
    TagPlan plan;
    const auto *p = reinterpret_cast<const char16_t *>(frame.constData());
    const qsizetype n = frame.size();
    // Which categories' tags begin with each ASCII character; a character
    // outside ASCII (most of a Japanese text) is passed over at once.
    std::array<quint8, 128> startsTag{};
    bool asciiTags = true;
    for (int k = 0; k < 5; ++k) {
        const char16_t c = m_lists[k].Tag[0].unicode();
        if (c < 128)
            startsTag[c] |= quint8(1u << k);
        else
            asciiTags = false;
    }
    for (qsizetype i = 0; i + 1 < n; ++i) {
        const char16_t c = p[i];
        unsigned candidates = 0x1F;
        if (asciiTags) {
            if (c >= 128 || !startsTag[c])
                continue;
            candidates = startsTag[c];
        }
        for (int k = 0; k < 5; ++k) {
            if ((candidates & (1u << k)) && c == m_lists[k].Tag[0].unicode() &&
                p[i + 1] == m_lists[k].Tag[1].unicode()) {
                const int digit = m_rules == Rules::Refrains && i + 2 < n && isHoldDigit(p[i + 2])
                                      ? p[i + 2] - u'0'
                                      : 0;
                // A category without words leaves its tags as they stand.
                if (!m_lists[k].Words.isEmpty())
                    plan.tags.append({i, k, digit});
                i += digit ? 2 : 1; // tags cannot overlap
                break;
            }
        }
    }
    // Draws go category by category, leftmost first.
    for (int k = 0; k < 5; ++k)
        for (qsizetype t = 0; t < plan.tags.size(); ++t)
            if (plan.tags[t].category == k)
                plan.drawOrder.append(t);
    return plan;
}

QString FrameFiller::fillPlanned(const QString &frame, const TagPlan &plan,
                                 RandomSource &random) const
{
    if (plan.tags.isEmpty())
        return frame;
    const bool refrains = m_rules == Rules::Refrains;
    // A tag left without a word (the text grew past kMaxTextLength, as the
    // general way stops too) keeps its letters.
    QVarLengthArray<const QString *, 64> chosen(plan.tags.size());
    std::fill(chosen.begin(), chosen.end(), nullptr);
    qsizetype length = frame.size();
    int category = -1;
    std::optional<WordDraw> draw;
    Held held;
    for (const qsizetype t : plan.drawOrder) {
        if (length > kMaxTextLength)
            break;
        const TagAt &at = plan.tags[t];
        const QStringList &words = m_lists[at.category].Words;
        if (at.category != category) {
            category = at.category;
            draw.emplace(words.size(), refrains);
            held = Held();
        }
        chosen[t] = &words[held.pick(at.digit, *draw, random)];
        length += chosen[t]->size() - (at.digit ? 3 : 2);
    }
    // Written straight into a buffer of the final size.
    QString out(length, Qt::Uninitialized);
    QChar *o = out.data();
    const QChar *p = frame.constData();
    qsizetype from = 0;
    auto put = [&o](const QChar *src, qsizetype n) {
        std::memcpy(o, src, size_t(n) * sizeof(QChar));
        o += n;
    };
    for (qsizetype t = 0; t < plan.tags.size(); ++t) {
        if (!chosen[t])
            continue;
        put(p + from, plan.tags[t].pos - from);
        put(chosen[t]->constData(), chosen[t]->size());
        from = plan.tags[t].pos + (plan.tags[t].digit ? 3 : 2);
    }
    put(p + from, frame.size() - from);
    return out;
}

QString FrameFiller::fill(const QString &frame, RandomSource &random) const
{
    if (m_inert)
        return fillPlanned(frame, planTags(frame), random);
    QString text = frame;
    for (int k = 0; k < 5; ++k) {
        // A list without words cannot fill: the loaders refuse such lists,
        // and here its tags are left as they stand.
        if (m_lists[k].Words.isEmpty())
            continue;
        bool stopped = false;
        text = fillCategory(text, k, random, stopped);
        if (stopped)
            break;
    }
    return text;
}

QString FrameFiller::fill(const QString &frame, const std::array<WordList, 5> &lists,
                          RandomSource &random, Rules rules)
{
    return FrameFiller(lists, rules).fill(frame, random);
}
