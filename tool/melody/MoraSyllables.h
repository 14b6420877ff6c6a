#pragma once

#include <QStringList>
#include <QStringView>

// A reading cut into the syllables sung one to a note: one mora each, in
// hiragana. Small kana join the kana before them (きゃ), ッ and ン stand
// alone, a long vowel ー is sung as its vowel (カー: か, あ). Spaces and
// punctuation are dropped; a run of letters without a known reading is one
// syllable as written.
namespace MoraSyllables
{
QStringList split(QStringView reading);
} // namespace MoraSyllables
