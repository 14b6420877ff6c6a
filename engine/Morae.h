#pragma once

#include <QStringView>

// Counting morae in a reading (katakana or hiragana). Every kana is one
// mora, except the small ャュョァィゥェォヮ (and their hiragana), which join
// the kana before them; ッ, ン and ー are one each. Spaces, punctuation and
// symbols (、。！？…「」♪ and the like) are none. Anything else (Latin
// letters, digits, kanji) has no count.
namespace Morae
{
// The number of morae, or -1 when the text holds a character that has none
// known.
int count(QStringView reading);
// One character's part: 1 for a mora, 0 for a joining small kana or a mark
// that is not sung, -1 when unknown.
int weight(char16_t c);
} // namespace Morae
