#pragma once

#include "SongWriter.h"

#include <QList>
#include <QStringList>

// A song written onto a melody: the non-empty lines of the song go onto the
// phrases in order, each line filled to its phrase's number of notes. When
// the frame runs out of lines the song goes on with Append lyrics (a new
// verse, the held chorus as it was); it ends with the last phrase.
class MelodySong
{
public:
    struct Result {
        SongWriter::Filling song;     // the song as the window shows it, and its sound
        QList<QStringList> syllables; // per phrase, one per mora
        QStringList notes;            // each line that does not fit its phrase
    };

    // `phrases` holds each phrase's number of notes.
    static Result write(SongWriter &writer, const QList<qsizetype> &phrases,
                        std::optional<qsizetype> frame);
};
