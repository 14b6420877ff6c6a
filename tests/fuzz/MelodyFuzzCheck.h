#pragma once

#include "Melody.h"
#include "MusicXmlReader.h"
#include "ScoreWriter.h"

#include <cstdlib>

// What holds for every melody a reader returns.
namespace MelodyFuzzCheck
{

inline QList<QList<int>> sung(const Melody &m)
{
    QList<QList<int>> out;
    for (const QList<Melody::Place> &p : m.phrases()) {
        out.append(QList<int>());
        for (const Melody::Place &at : p)
            out.last().append(m.measures[at.measure].events[at.event].pitch->midi());
    }
    return out;
}

// `fullMeasures`: every measure holds exactly its time signature's length.
inline void check(const Melody &melody, bool fullMeasures)
{
    const QList<QList<int>> phrases = sung(melody);
    if (phrases.isEmpty() || melody.noteCount() > Melody::kMaxNotes)
        std::abort();
    if (fullMeasures)
        for (const Measure &m : melody.measures) {
            qint64 length = 0;
            for (const MelodyEvent &e : m.events)
                length += e.duration;
            if (length != qint64(m.beats) * 4 * m.divisions / m.beatType)
                std::abort();
        }
    QList<QStringList> lyrics;
    for (const QList<int> &p : phrases)
        lyrics.append(QStringList(p.size(), QStringLiteral("ら")));
    MusicXmlReader back;
    if (!back.read(ScoreWriter(melody, lyrics, QStringLiteral("t")).musicXml()) ||
        sung(back.melody()) != phrases)
        std::abort();
}

} // namespace MelodyFuzzCheck
