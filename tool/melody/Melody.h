#pragma once

#include <QList>
#include <QString>
#include <optional>

// A pitch as written: step (C..B), alteration in semitones, octave (4 holds
// middle C).
struct Pitch {
    char step = 'C';
    int alter = 0;
    int octave = 4;

    int midi() const;
    // The spelling a score uses for a MIDI number in a key with `fifths`
    // sharps (negative: flats).
    static Pitch fromMidi(int number, int fifths);
};

// One written note or rest. A sung note may be written as several notes
// tied together.
struct MelodyEvent {
    qint64 duration = 0;        // in the measure's divisions
    std::optional<Pitch> pitch; // none: a rest
    bool tieToNext = false;
    // As written; empty type: the writer derives it from the duration.
    QString type;
    int dots = 0;
    int tupletActual = 0, tupletNormal = 0; // a time modification, 0: none
    bool tupletStart = false, tupletStop = false;
    QString lyric; // the first lyric's text, where one was read
};

struct Measure {
    QString number;
    bool implicit = false; // a pickup, not counted
    int divisions = 1;     // per quarter note
    int beats = 4, beatType = 4;
    int fifths = 0;
    bool minor = false;
    std::optional<double> tempo; // quarter notes per minute, set at the start
    QList<MelodyEvent> events;
};

// One voice of a piece: the notes and rests of the part that was read,
// measure by measure.
struct Melody {
    // More written notes than any song has: a reader stops there, so that a
    // huge file can neither stall the tool nor fill the memory.
    static constexpr qsizetype kMaxNotes = 20000;
    static constexpr qsizetype kMaxMeasures = 20000;

    QList<Measure> measures;
    QString title; // as the file gives it, if it does

    // Where a sung note begins: tied notes are one sung note.
    struct Place {
        qsizetype measure = 0, event = 0;
    };
    // The sung notes in order, each phrase its own list: a rest ends a
    // phrase. Phrases are never empty.
    QList<QList<Place>> phrases() const;
    qsizetype noteCount() const;

    // `duration` as plain or dotted notes, longest first, with their types
    // set: one piece when it has a value of its own.
    static QList<MelodyEvent> written(qint64 duration, int divisions);
};
