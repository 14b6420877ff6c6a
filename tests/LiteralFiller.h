#pragma once

#include "FrameFiller.h"
#include "RandomSource.h"
#include "WordList.h"

#include <array>

// The filling exactly as first described: after every replacement the search
// starts again at the first character. Slow, but obviously right: the oracle
// that FrameFiller is compared with. Bounded like FrameFiller.
inline QString literalFill(const QString &frame, const std::array<WordList, 5> &lists,
                           RandomSource &random)
{
    QString t = frame;
    qsizetype replacements = 0;
    const qsizetype maxLength = std::max(FrameFiller::kMaxLength, frame.size());
    for (const WordList &list : lists) {
        if (list.Words.isEmpty())
            continue;
        const qsizetype u = list.Words.size() - 1;
        qsizetype p = t.indexOf(list.Tag);
        while (p >= 0) {
            const QString head = t.left(p);
            const QString tail = t.mid(p + list.Tag.size());
            const QString &w = list.Words[FrameFiller::pickIndex(random.next(), u + 1)];
            t = head + w + tail;
            ++replacements;
            if (replacements >= FrameFiller::kMaxReplacements || t.size() > maxLength)
                return t;
            p = t.indexOf(list.Tag);
        }
    }
    return t;
}
