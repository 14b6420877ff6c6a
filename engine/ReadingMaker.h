#pragma once

#include "LyricData.h"

#include <QList>
#include <QString>
#include <QStringView>

class ReadingSource;

// Works out the readings of the loaded words and frame lines. Kana, spaces
// and punctuation are read as written (in katakana); a text with Latin
// letters or digits outside its tags cannot be read; anything else (kanji)
// goes to the analyser, all texts in one call. Tags stay in the reading as
// they stand, held digit included, as slots for the words that fill them.
namespace ReadingMaker
{
// Fills what the loader left null in WordList::Readings and
// LyricData::FrameReadings (the readings given with "'=" lines stay), and
// sizes them to the words and lines. `source` may be null: then only what
// needs no analyser is read.
void workOut(LyricData &data, ReadingSource *source);

// A text's part: plain text, or a tag (with its held digit) standing as it is.
struct Part {
    QStringView text;
    bool slot = false;
};
// `text` split at its tags, left to right; with held digits (refrains) a
// tag directly followed by 1-9 takes the digit along.
QList<Part> split(QStringView text, bool heldDigits);

// Hiragana and half-width katakana as full-width katakana; everything else
// as it is.
QString katakana(QStringView text);

// The lines of frame `frame` in the sense of FrameReadings.
QList<QStringView> frameLines(const QString &frame);

// The readings put in place of the words and frame lines, for following a
// filling in sound: the same lists, tags and lines, with each text that
// has a reading replaced by it (others stay as written).
LyricData soundTwin(const LyricData &data);
} // namespace ReadingMaker
