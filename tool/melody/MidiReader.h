#pragma once

#include "Melody.h"

#include <QByteArrayView>

// Reads one voice of a Standard MIDI File (type 0 or 1) with libsmf. A part
// is a track's channel that has notes, in track order; chords give their top
// note; a gap of at least a sixteenth note is a rest, a shorter one belongs
// to the note before it. Times are quantised to a sixteenth (finer where
// notes would otherwise fall together) and written as plain or dotted notes,
// tied across bar lines.
class MidiReader
{
public:
    // `part` counts from 1. False with error() set on bad input.
    bool read(QByteArrayView bytes, int part = 1);
    const Melody &melody() const { return m_melody; }
    const QString &error() const { return m_error; }
    // Whether the bytes begin like a MIDI file.
    static bool looksLikeMidi(QByteArrayView bytes);

private:
    bool fail(const QString &message);

    Melody m_melody;
    QString m_error;
};
