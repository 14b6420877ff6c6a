#include "FrameFiller.h"

#include "RandomSource.h"

#include <QVarLengthArray>
#include <cstring>

namespace
{

struct Budget {
    qsizetype replacements = 0;
    qsizetype length = 0;
    qsizetype maxLength = 0;
    bool exhausted() const
    {
        return replacements >= FrameFiller::kMaxReplacements || length > maxLength;
    }
};

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

// One category's turn over `text`. `pending` is a stack of views still to be
// scanned: the top is what comes next in the text. `out` never holds a tag,
// so the first tag of out + pending is at the seam or inside pending.
QString fillCategory(const QString &text, const WordList &list, RandomSource &random,
                     Budget &budget)
{
    const QStringView tag(list.Tag);
    if (tag.size() != 2)
        return text;
    const char16_t first = tag[0].unicode(), second = tag[1].unicode();
    const qsizetype start = findPair(text, first, second);
    if (start < 0)
        return text;
    const qsizetype count = list.Words.size();

    QString out;
    out.reserve(text.size() + text.size() / 2);
    out.append(QStringView(text).first(start));
    QVarLengthArray<QStringView, 32> pending;
    pending.append(QStringView(text).sliced(start));

    auto replace = [&]() {
        const QString &word = list.Words[FrameFiller::pickIndex(random.next(), count)];
        ++budget.replacements;
        budget.length += word.size() - tag.size();
        if (!word.isEmpty())
            pending.append(QStringView(word));
    };

    while (!pending.empty() && !budget.exhausted()) {
        QStringView &top = pending.back();
        if (top.isEmpty()) {
            pending.removeLast();
            continue;
        }
        if (!out.isEmpty() && out.back().unicode() == first && top.front().unicode() == second) {
            out.chop(1);
            top = top.sliced(1);
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
        top = top.sliced(at + tag.size());
        replace();
    }
    // Stopped by the budget: the rest of the text follows unchanged.
    for (qsizetype i = pending.size() - 1; i >= 0; --i)
        out += pending[i];
    return out;
}

} // namespace

bool FrameFiller::inert(const std::array<WordList, 5> &lists)
{
    for (const WordList &a : lists) {
        if (a.Tag.size() != 2)
            return false;
        for (const WordList &b : lists)
            if (a.Tag[1] == b.Tag[0])
                return false;
    }
    // Only a word holding a tag letter needs a closer look; real words hold
    // none, and lists can be long.
    std::array<bool, 128> tagLetter{};
    for (const WordList &t : lists)
        for (const QChar c : t.Tag) {
            if (c.unicode() >= 128)
                return false;
            tagLetter[c.unicode()] = true;
        }
    for (const WordList &list : lists)
        for (const QString &word : list.Words) {
            if (word.isEmpty())
                return false;
            bool plain = true;
            for (const QChar c : word)
                if (c.unicode() < 128 && tagLetter[c.unicode()]) {
                    plain = false;
                    break;
                }
            if (plain)
                continue;
            for (const WordList &t : lists)
                if (word.front() == t.Tag[1] || word.back() == t.Tag[0] || word.contains(t.Tag))
                    return false;
        }
    return true;
}

FrameFiller::TagPlan FrameFiller::planTags(const QString &frame,
                                           const std::array<WordList, 5> &lists)
{
    TagPlan plan;
    const auto *p = reinterpret_cast<const char16_t *>(frame.constData());
    const qsizetype n = frame.size();
    // Which categories' tags begin with each ASCII character; a character
    // outside ASCII (most of a Japanese text) is passed over at once.
    std::array<quint8, 128> startsTag{};
    bool asciiTags = true;
    for (int k = 0; k < 5; ++k) {
        const char16_t c = lists[k].Tag[0].unicode();
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
            if ((candidates & (1u << k)) && c == lists[k].Tag[0].unicode() &&
                p[i + 1] == lists[k].Tag[1].unicode()) {
                // A category without words leaves its tags as they stand.
                if (!lists[k].Words.isEmpty())
                    plan.tags.append({i, k});
                ++i; // tags cannot overlap
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
                                 const std::array<WordList, 5> &lists, RandomSource &random)
{
    if (plan.tags.isEmpty())
        return frame;
    QVarLengthArray<const QString *, 64> chosen(plan.tags.size());
    qsizetype length = frame.size();
    for (const qsizetype t : plan.drawOrder) {
        const QStringList &words = lists[plan.tags[t].category].Words;
        chosen[t] = &words[pickIndex(random.next(), words.size())];
        length += chosen[t]->size() - 2;
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
        put(p + from, plan.tags[t].pos - from);
        put(chosen[t]->constData(), chosen[t]->size());
        from = plan.tags[t].pos + 2;
    }
    put(p + from, frame.size() - from);
    return out;
}

QString FrameFiller::fill(const QString &frame, const std::array<WordList, 5> &lists,
                          RandomSource &random, bool listsInert)
{
    if (listsInert)
        return fillPlanned(frame, planTags(frame, lists), lists, random);
    QString text = frame;
    Budget budget;
    budget.length = text.size();
    budget.maxLength = std::max(kMaxLength, text.size());
    for (const WordList &list : lists) {
        // A list without words cannot fill: the loaders refuse such lists,
        // and here its tags are left as they stand.
        if (list.Words.isEmpty())
            continue;
        text = fillCategory(text, list, random, budget);
        if (budget.exhausted())
            break;
    }
    return text;
}
