#include "FrameFiller.h"

#include "RandomSource.h"

#include <vector>

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

// One category's turn over `text`. `pending` is a stack of views still to be
// scanned: the top is what comes next in the text. `out` never holds a tag,
// so the first tag of out + pending is at the seam or inside pending.
QString fillCategory(const QString &text, const WordList &list, RandomSource &random,
                     Budget &budget)
{
    const QStringView tag(list.Tag);
    if (tag.size() != 2 || !text.contains(tag))
        return text;
    const QChar first = tag[0], second = tag[1];
    const qsizetype count = list.Words.size();

    QString out;
    out.reserve(text.size() + text.size() / 2);
    std::vector<QStringView> pending{QStringView(text)};

    auto replace = [&]() {
        const QString &word = list.Words[FrameFiller::pickIndex(random.next(), count)];
        ++budget.replacements;
        budget.length += word.size() - tag.size();
        if (!word.isEmpty())
            pending.push_back(QStringView(word));
    };

    while (!pending.empty() && !budget.exhausted()) {
        QStringView &top = pending.back();
        if (top.isEmpty()) {
            pending.pop_back();
            continue;
        }
        if (!out.isEmpty() && out.back() == first && top.front() == second) {
            out.chop(1);
            top = top.sliced(1);
            replace();
            continue;
        }
        const qsizetype at = top.indexOf(tag);
        if (at < 0) {
            out += top;
            pending.pop_back();
            continue;
        }
        out += top.first(at);
        top = top.sliced(at + tag.size());
        replace();
    }
    // Stopped by the budget: the rest of the text follows unchanged.
    for (auto it = pending.rbegin(); it != pending.rend(); ++it)
        out += *it;
    return out;
}

} // namespace

QString FrameFiller::fill(QStringView frame, const std::array<WordList, 5> &lists,
                          RandomSource &random)
{
    QString text = frame.toString();
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
