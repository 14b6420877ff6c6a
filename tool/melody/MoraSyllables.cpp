#include "MoraSyllables.h"

#include "Morae.h"

namespace
{

char16_t hiragana(char16_t c)
{
    return (c >= u'ァ' && c <= u'ヶ') ? char16_t(c - 0x60) : c;
}

// The vowel of the syllable's last kana, as hiragana; 0 when it has none.
char16_t vowelOf(QStringView syllable)
{
    static const QStringView rows[] = {
        u"あかさたなはまやらわがざだばぱぁゃゎ", u"いきしちにひみりぎじぢびぴぃゐ",
        u"うくすつぬふむゆるぐずづぶぷぅゅゔ", u"えけせてねへめれげぜでべぺぇゑ",
        u"おこそとのほもよろをごぞどぼぽぉょ"};
    static const char16_t vowels[] = {u'あ', u'い', u'う', u'え', u'お'};
    if (syllable.isEmpty())
        return 0;
    const char16_t last = syllable.back().unicode();
    for (int i = 0; i < 5; ++i)
        if (rows[i].contains(QChar(last)))
            return vowels[i];
    return 0;
}

} // namespace

namespace MoraSyllables
{

QStringList split(QStringView reading)
{
    // Half-width kana become full-width, voiced marks joined.
    const QString text = reading.toString().normalized(QString::NormalizationForm_KC);
    QStringList out;
    bool inUnknown = false;
    for (const QChar q : text) {
        const char16_t c = q.unicode();
        const int w = Morae::weight(c);
        if (w < 0) {
            if (inUnknown)
                out.last() += q;
            else
                out.append(QString(q));
            inUnknown = true;
            continue;
        }
        const bool wasUnknown = std::exchange(inUnknown, false);
        if (w == 0) {
            // A small kana joins the kana before it; marks are not sung.
            if (q.isLetter() && !out.isEmpty() && !wasUnknown)
                out.last() += QChar(hiragana(c));
            continue;
        }
        if (c == u'ー') {
            const char16_t v = out.isEmpty() ? 0 : vowelOf(out.last());
            out.append(v ? QString(QChar(v)) : QStringLiteral("ー"));
            continue;
        }
        out.append(QString(QChar(hiragana(c))));
    }
    return out;
}

} // namespace MoraSyllables
