#include "MeterLists.h"

#include "Morae.h"

#include <algorithm>

namespace
{

bool isHoldDigit(QChar c)
{
    return c >= QLatin1Char('1') && c <= QLatin1Char('9');
}

bool isCategory(const std::array<WordList, 5> &lists, int k, QStringView text, qsizetype i)
{
    const QString &tag = lists[k].Tag;
    return tag.size() == 2 && i + 1 < text.size() && text[i] == tag[0] && text[i + 1] == tag[1];
}

} // namespace

MeterLists::MeterLists(const std::array<WordList, 5> &lists, bool refrains)
    : m_lists(lists), m_refrains(refrains)
{
    // Usable: FrameFiller's inert lists, except that a word may hold the
    // tags of later categories (they are filled in their own turn).
    m_usable = true;
    for (int k = 0; k < 5; ++k) {
        const QString &tag = lists[k].Tag;
        if (tag.size() != 2 || tag[0].unicode() >= 128 || tag[1].unicode() >= 128)
            m_usable = false;
        for (const WordList &b : lists)
            if (tag.size() == 2 && b.Tag.size() == 2 && tag[1] == b.Tag[0])
                m_usable = false;
    }
    // Judged by the readings where known, as the engine that fills the
    // readings themselves in step with this one judges.
    for (int k = 0; k < 5 && m_usable; ++k)
        for (qsizetype i = 0; i < lists[k].Words.size(); ++i) {
            const QString &reading = lists[k].Readings.value(i);
            const QString &w = reading.isNull() ? lists[k].Words[i] : reading;
            bool bad = w.isEmpty() || (m_refrains && isHoldDigit(w.front()));
            for (int j = 0; j < 5 && !bad; ++j)
                bad = w.front() == lists[j].Tag[1] || w.back() == lists[j].Tag[0] ||
                      (j <= k && w.contains(lists[j].Tag));
            if (bad) {
                m_usable = false;
                break;
            }
        }
    if (!m_usable)
        return;

    // Later categories first: a word's count takes the P of the tags it holds.
    for (int k = 4; k >= 0; --k) {
        Category &c = m_categories[k];
        const WordList &list = lists[k];
        const bool readings = !list.Readings.isEmpty();
        for (qsizetype i = 0; i < list.Words.size(); ++i) {
            Word w;
            w.inner = tagsIn(list.Words[i], k);
            bool counted = !readings || !list.Readings.value(i).isNull();
            for (const Slot &s : w.inner)
                counted = counted && s.digit == 0 && m_counts.measurable(s.category);
            if (counted)
                w.morae = fixedMorae(readings ? list.Readings[i] : list.Words[i]);
            if (w.morae >= 0) {
                QList<int> inner;
                for (const Slot &s : w.inner)
                    inner << s.category;
                auto sig = std::find_if(c.signatures.begin(), c.signatures.end(), [&](auto &g) {
                    return g.morae == w.morae && g.inner == inner;
                });
                if (sig == c.signatures.end()) {
                    c.signatures.append(
                        {w.morae, inner, m_counts.productOf(inner, Poly{1.0}, kCap), {}});
                    sig = c.signatures.end() - 1;
                }
                w.place = sig->words.size();
                sig->words << i;
                sig->count = double(sig->words.size());
                w.signature = int(sig - c.signatures.begin());
            }
            c.brief.push_back({w.signature, int(w.place), int(c.text.size()),
                               int(list.Words[i].size()), !w.inner.isEmpty()});
            c.text += std::u16string_view(QStringView(list.Words[i]).utf16(),
                                          size_t(list.Words[i].size()));
            c.words << w;
        }
        c.text.append(kPad, u'\0');
        for (Signature &g : c.signatures) {
            g.first = qint32(c.bySignature.size());
            for (const qsizetype i : g.words) {
                const Category::Brief &b = c.brief[size_t(i)];
                Category::Drawn d{qint32(i), b.from, b.length, b.inner, {}};
                if (size_t(b.length) <= kShort)
                    std::copy_n(c.text.data() + b.from, b.length, d.head);
                c.bySignature.push_back(d);
            }
        }
        const bool measurable = !c.signatures.isEmpty();
        Poly poly(kCap + 1, 0.0);
        if (!measurable) {
            poly[0] = 1.0; // no word has a count: the tag counts as none
        } else {
            const double n = double(list.Words.size());
            for (const Signature &g : c.signatures)
                for (int u = 0; g.morae + u <= kCap; ++u)
                    poly[g.morae + u] += double(g.words.size()) / n * g.innerPoly[u];
        }
        m_counts.set(k, std::move(poly), measurable);
    }
}

QList<MeterLists::Slot> MeterLists::tagsIn(QStringView text, int after) const
{
    QList<Slot> tags;
    for (qsizetype i = 0; i + 1 < text.size(); ++i)
        for (int k = 0; k < 5; ++k) {
            if (!isCategory(m_lists, k, text, i))
                continue;
            const int digit = m_refrains && i + 2 < text.size() && isHoldDigit(text[i + 2])
                                  ? text[i + 2].unicode() - u'0'
                                  : 0;
            // Earlier categories' tags inside a word stay letters; a list
            // without words leaves its tags as they stand.
            if (k > after && !m_lists[k].Words.isEmpty())
                tags.append({i, k, digit});
            i += digit ? 2 : 1;
            break;
        }
    return tags;
}

int MeterLists::fixedMorae(QStringView reading) const
{
    QString plain;
    plain.reserve(reading.size());
    for (qsizetype i = 0; i < reading.size(); ++i) {
        int k = 0;
        while (k < 5 && !isCategory(m_lists, k, reading, i))
            ++k;
        if (k == 5) {
            plain += reading[i];
            continue;
        }
        ++i;
        if (m_refrains && i + 1 < reading.size() && isHoldDigit(reading[i + 1]))
            ++i;
    }
    return Morae::count(plain);
}

int MeterLists::wordMorae(int category, qsizetype index) const
{
    if (!m_usable)
        return -1;
    return m_categories[size_t(category)].words.value(index).morae;
}
