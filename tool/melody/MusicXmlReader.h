#pragma once

#include "Melody.h"

#include <QByteArrayView>

class QXmlStreamReader;

// Reads one voice of a partwise MusicXML score (or of a compressed .mxl):
// the first voice of the part asked for. Tied notes stay tied, grace and
// cue notes are skipped, a chord gives its top note.
class MusicXmlReader
{
public:
    // `part` counts from 1. False with error() set on bad input.
    bool read(QByteArrayView bytes, int part = 1);
    const Melody &melody() const { return m_melody; }
    const QString &error() const { return m_error; }

private:
    bool fail(const QString &message);
    bool readPart(QXmlStreamReader &xml);
    bool readMeasure(QXmlStreamReader &xml, Measure &measure);
    void readAttributes(QXmlStreamReader &xml, Measure &measure);
    bool readNote(QXmlStreamReader &xml, Measure &measure);

    Melody m_melody;
    QString m_error;
    qsizetype m_notes = 0;
    // Where the melody's voice stands in the measure, and where the reading does.
    qint64 m_voiceAt = 0, m_at = 0;
    QString m_voice; // the voice read: the first one met
};
