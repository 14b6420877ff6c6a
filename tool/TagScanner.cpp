#include "TagScanner.h"

namespace
{

bool isLatinLetter(QChar c)
{
    return c.isLetter() && c.script() == QChar::Script_Latin;
}

} // namespace

int TagScanner::tagAt(QStringView text, qsizetype pos) const
{
    if (pos < 0 || pos >= text.size())
        return -1;
    for (int k = 0; k < m_tags.size(); ++k)
        if (text.sliced(pos).startsWith(m_tags[k]))
            return k;
    return -1;
}

bool TagScanner::containsTag(QStringView text) const
{
    for (const QString &tag : m_tags)
        if (text.contains(tag))
            return true;
    return false;
}

QList<TagScanner::Hit> TagScanner::scan(QStringView text) const
{
    QList<Hit> hits;
    // The run of Latin letters around the last tag, looked at once for all
    // the tags in it: a line can hold a million tags in one run.
    qsizetype runTo = -1;
    QString runWord;
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        const int k = tagAt(text, i);
        if (k < 0)
            continue;
        if (i >= runTo) {
            qsizetype from = i, to = i + m_tags[k].size();
            while (from > 0 && isLatinLetter(text[from - 1]))
                --from;
            while (to < text.size() && isLatinLetter(text[to]))
                ++to;
            bool onlyTags = true;
            for (qsizetype j = from; j < to && onlyTags;) {
                const int t = tagAt(text.first(to), j);
                onlyTags = t >= 0;
                if (onlyTags)
                    j += m_tags[t].size();
            }
            runTo = to;
            runWord = onlyTags ? QString() : text.sliced(from, to - from).toString();
        }
        Hit hit;
        hit.category = k;
        hit.pos = i;
        hit.latinWord = runWord;
        hits.append(hit);
        // Every tag is a capital and a small letter, so the next one cannot
        // start inside this one.
        i += m_tags[k].size() - 1;
    }
    return hits;
}
