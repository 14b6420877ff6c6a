#include "Morae.h"

#include <QChar>

namespace Morae
{

int weight(char16_t c)
{
    // The small vowels and y-kana join the kana before them (キャ, ファ).
    switch (c) {
    case u'ァ':
    case u'ィ':
    case u'ゥ':
    case u'ェ':
    case u'ォ':
    case u'ャ':
    case u'ュ':
    case u'ョ':
    case u'ヮ':
    case u'ぁ':
    case u'ぃ':
    case u'ぅ':
    case u'ぇ':
    case u'ぉ':
    case u'ゃ':
    case u'ゅ':
    case u'ょ':
    case u'ゎ':
        return 0;
    default:
        break;
    }
    if ((c >= u'ぁ' && c <= u'ゖ') || (c >= u'ゝ' && c <= u'ゞ')) // hiragana, iteration marks
        return 1;
    if ((c >= u'ァ' && c <= u'ヺ') || c == u'ー' || (c >= u'ヽ' && c <= u'ヾ'))
        return 1;
    if (c >= u'ｦ' && c <= u'ﾝ') { // half-width katakana: small ones join
        return (c >= u'ｧ' && c <= u'ｮ') ? 0 : 1;
    }
    if (c == u'ﾞ' || c == u'ﾟ') // half-width voicing marks belong to the kana before
        return 0;
    const QChar q(c);
    if (q.isLetterOrNumber() || q.isHighSurrogate() || q.isLowSurrogate())
        return -1;
    // Spaces, punctuation and symbols are not sung.
    return 0;
}

int count(QStringView reading)
{
    int n = 0;
    for (const QChar q : reading) {
        const int w = weight(q.unicode());
        if (w < 0)
            return -1;
        n += w;
    }
    return n;
}

} // namespace Morae
