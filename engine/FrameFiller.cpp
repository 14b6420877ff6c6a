#include "FrameFiller.h"

#include "RandomSource.h"

#include <QVarLengthArray>

qsizetype FrameFiller::pickIndex(double r, qsizetype n)
{
    if (n <= 0)
        return 0;
    const auto i = static_cast<qsizetype>(r * static_cast<double>(n));
    return i < 0 ? 0 : (i >= n ? n - 1 : i);
}

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

QString FrameFiller::fill(const QString &frame, const std::array<WordList, 5> &lists,
                          RandomSource &random)
{
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
