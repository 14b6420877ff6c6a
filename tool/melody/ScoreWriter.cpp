#include "ScoreWriter.h"

#include "MxlArchive.h"

#include <QDate>
#include <QHash>
#include <QSaveFile>
#include <QXmlStreamWriter>

namespace
{

struct Lyric {
    QString text;
    bool extend = false;
    bool endLine = false;
};

quint64 key(qsizetype measure, qsizetype event)
{
    return (quint64(measure) << 32) | quint64(event);
}

QHash<quint64, Lyric> place(const Melody &melody, const QList<QStringList> &lines)
{
    QHash<quint64, Lyric> lyrics;
    const QList<QList<Melody::Place>> phrases = melody.phrases();
    for (qsizetype i = 0; i < phrases.size() && i < lines.size(); ++i) {
        const QList<Melody::Place> &notes = phrases[i];
        const QStringList &syllables = lines[i];
        const qsizetype sung = std::min(notes.size(), syllables.size());
        for (qsizetype j = 0; j < sung; ++j) {
            Lyric l;
            l.text = syllables[j];
            if (j + 1 == sung) {
                // Syllables left over go with the last note.
                for (qsizetype k = sung; k < syllables.size(); ++k)
                    l.text += syllables[k];
                l.extend = notes.size() > sung;
                l.endLine = true;
            }
            lyrics.insert(key(notes[j].measure, notes[j].event), l);
        }
    }
    return lyrics;
}

void text(QXmlStreamWriter &xml, const char *name, const QString &value)
{
    xml.writeTextElement(QLatin1String(name), value);
}

void number(QXmlStreamWriter &xml, const char *name, qint64 value)
{
    xml.writeTextElement(QLatin1String(name), QString::number(value));
}

} // namespace

ScoreWriter::ScoreWriter(const Melody &melody, const QList<QStringList> &lines,
                         const QString &title)
    : m_melody(melody), m_lines(lines), m_title(title)
{
}

QByteArray ScoreWriter::musicXml() const
{
    const QHash<quint64, Lyric> lyrics = place(m_melody, m_lines);
    // A low melody reads better in the bass clef.
    qint64 pitchSum = 0, pitched = 0;
    for (const Measure &m : m_melody.measures)
        for (const MelodyEvent &e : m.events)
            if (e.pitch) {
                pitchSum += e.pitch->midi();
                ++pitched;
            }
    const bool bass = pitched > 0 && pitchSum < 55 * pitched;

    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(2);
    xml.writeStartDocument(QStringLiteral("1.0"), false);
    xml.writeDTD(QStringLiteral(
        "<!DOCTYPE score-partwise PUBLIC \"-//Recordare//DTD MusicXML 4.0 Partwise//EN\" "
        "\"http://www.musicxml.org/dtds/partwise.dtd\">"));
    xml.writeStartElement(QStringLiteral("score-partwise"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("4.0"));
    xml.writeStartElement(QStringLiteral("work"));
    text(xml, "work-title", m_title);
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("identification"));
    xml.writeStartElement(QStringLiteral("encoding"));
    text(xml, "software", QStringLiteral("lyrmak-tool"));
    text(xml, "encoding-date", QDate::currentDate().toString(Qt::ISODate));
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("part-list"));
    xml.writeStartElement(QStringLiteral("score-part"));
    xml.writeAttribute(QStringLiteral("id"), QStringLiteral("P1"));
    text(xml, "part-name", QStringLiteral("歌"));
    xml.writeStartElement(QStringLiteral("score-instrument"));
    xml.writeAttribute(QStringLiteral("id"), QStringLiteral("P1-I1"));
    text(xml, "instrument-name", QStringLiteral("Voice"));
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("midi-instrument"));
    xml.writeAttribute(QStringLiteral("id"), QStringLiteral("P1-I1"));
    number(xml, "midi-channel", 1);
    number(xml, "midi-program", 53); // choir aahs
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();

    xml.writeStartElement(QStringLiteral("part"));
    xml.writeAttribute(QStringLiteral("id"), QStringLiteral("P1"));
    const Measure *before = nullptr;
    for (qsizetype mi = 0; mi < m_melody.measures.size(); ++mi) {
        const Measure &m = m_melody.measures[mi];
        xml.writeStartElement(QStringLiteral("measure"));
        xml.writeAttribute(QStringLiteral("number"),
                           m.number.isEmpty() ? QString::number(mi + 1) : m.number);
        if (m.implicit)
            xml.writeAttribute(QStringLiteral("implicit"), QStringLiteral("yes"));
        const bool divisions = !before || before->divisions != m.divisions;
        const bool keyChange = !before || before->fifths != m.fifths || before->minor != m.minor;
        const bool time = !before || before->beats != m.beats || before->beatType != m.beatType;
        if (divisions || keyChange || time) {
            xml.writeStartElement(QStringLiteral("attributes"));
            if (divisions)
                number(xml, "divisions", m.divisions);
            if (keyChange) {
                xml.writeStartElement(QStringLiteral("key"));
                number(xml, "fifths", m.fifths);
                text(xml, "mode", m.minor ? QStringLiteral("minor") : QStringLiteral("major"));
                xml.writeEndElement();
            }
            if (time) {
                xml.writeStartElement(QStringLiteral("time"));
                number(xml, "beats", m.beats);
                number(xml, "beat-type", m.beatType);
                xml.writeEndElement();
            }
            if (!before) {
                xml.writeStartElement(QStringLiteral("clef"));
                text(xml, "sign", bass ? QStringLiteral("F") : QStringLiteral("G"));
                number(xml, "line", bass ? 4 : 2);
                xml.writeEndElement();
            }
            xml.writeEndElement();
        }
        if (m.tempo) {
            const QString bpm = QString::number(*m.tempo, 'g', 6);
            xml.writeStartElement(QStringLiteral("direction"));
            xml.writeAttribute(QStringLiteral("placement"), QStringLiteral("above"));
            xml.writeStartElement(QStringLiteral("direction-type"));
            xml.writeStartElement(QStringLiteral("metronome"));
            text(xml, "beat-unit", QStringLiteral("quarter"));
            text(xml, "per-minute", bpm);
            xml.writeEndElement();
            xml.writeEndElement();
            xml.writeEmptyElement(QStringLiteral("sound"));
            xml.writeAttribute(QStringLiteral("tempo"), bpm);
            xml.writeEndElement();
        }
        const qint64 length = qint64(m.beats) * 4 * m.divisions / m.beatType;
        bool tiedIn = false;
        for (qsizetype ei = 0; ei < m.events.size(); ++ei) {
            const MelodyEvent &e = m.events[ei];
            QString type = e.type;
            int dots = e.dots;
            if (type.isEmpty() && e.tupletActual == 0) {
                const QList<MelodyEvent> pieces = Melody::written(e.duration, m.divisions);
                if (pieces.size() == 1) {
                    type = pieces.first().type;
                    dots = pieces.first().dots;
                }
            }
            const bool measureRest =
                !e.pitch && m.events.size() == 1 && (e.type.isEmpty() || e.duration == length);
            xml.writeStartElement(QStringLiteral("note"));
            if (e.pitch) {
                xml.writeStartElement(QStringLiteral("pitch"));
                text(xml, "step", QString(QLatin1Char(e.pitch->step)));
                if (e.pitch->alter)
                    number(xml, "alter", e.pitch->alter);
                number(xml, "octave", e.pitch->octave);
                xml.writeEndElement();
            } else {
                xml.writeEmptyElement(QStringLiteral("rest"));
                if (measureRest)
                    xml.writeAttribute(QStringLiteral("measure"), QStringLiteral("yes"));
            }
            number(xml, "duration", e.duration);
            // A tie runs on across the bar line into the next measure.
            const MelodyEvent *prev = ei > 0 ? &m.events[ei - 1]
                                      : (mi > 0 && !m_melody.measures[mi - 1].events.isEmpty())
                                          ? &m_melody.measures[mi - 1].events.last()
                                          : nullptr;
            tiedIn = e.pitch && prev && prev->pitch && prev->tieToNext &&
                     prev->pitch->midi() == e.pitch->midi();
            const bool tiedOut = e.pitch && e.tieToNext;
            if (tiedIn) {
                xml.writeEmptyElement(QStringLiteral("tie"));
                xml.writeAttribute(QStringLiteral("type"), QStringLiteral("stop"));
            }
            if (tiedOut) {
                xml.writeEmptyElement(QStringLiteral("tie"));
                xml.writeAttribute(QStringLiteral("type"), QStringLiteral("start"));
            }
            text(xml, "voice", QStringLiteral("1"));
            if (!type.isEmpty() && !measureRest) {
                text(xml, "type", type);
                for (int d = 0; d < dots; ++d)
                    xml.writeEmptyElement(QStringLiteral("dot"));
            }
            if (e.tupletActual > 0) {
                xml.writeStartElement(QStringLiteral("time-modification"));
                number(xml, "actual-notes", e.tupletActual);
                number(xml, "normal-notes", e.tupletNormal);
                xml.writeEndElement();
            }
            if (tiedIn || tiedOut || e.tupletStart || e.tupletStop) {
                xml.writeStartElement(QStringLiteral("notations"));
                if (tiedIn) {
                    xml.writeEmptyElement(QStringLiteral("tied"));
                    xml.writeAttribute(QStringLiteral("type"), QStringLiteral("stop"));
                }
                if (tiedOut) {
                    xml.writeEmptyElement(QStringLiteral("tied"));
                    xml.writeAttribute(QStringLiteral("type"), QStringLiteral("start"));
                }
                if (e.tupletStart) {
                    xml.writeEmptyElement(QStringLiteral("tuplet"));
                    xml.writeAttribute(QStringLiteral("type"), QStringLiteral("start"));
                }
                if (e.tupletStop) {
                    xml.writeEmptyElement(QStringLiteral("tuplet"));
                    xml.writeAttribute(QStringLiteral("type"), QStringLiteral("stop"));
                }
                xml.writeEndElement();
            }
            if (auto l = lyrics.constFind(key(mi, ei)); l != lyrics.cend()) {
                xml.writeStartElement(QStringLiteral("lyric"));
                xml.writeAttribute(QStringLiteral("number"), QStringLiteral("1"));
                text(xml, "syllabic", QStringLiteral("single"));
                text(xml, "text", l->text);
                if (l->extend)
                    xml.writeEmptyElement(QStringLiteral("extend"));
                if (l->endLine)
                    xml.writeEmptyElement(QStringLiteral("end-line"));
                xml.writeEndElement();
            }
            xml.writeEndElement();
        }
        xml.writeEndElement();
        before = &m;
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

bool ScoreWriter::save(const QString &path)
{
    m_error.clear();
    const QByteArray xml = musicXml();
    if (path.endsWith(QLatin1String(".mxl"), Qt::CaseInsensitive)) {
        MxlArchive archive;
        if (!archive.write(path, xml)) {
            m_error = archive.error();
            return false;
        }
        return true;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(xml) != xml.size() || !file.commit()) {
        m_error = QStringLiteral("「%1」に書き込めません").arg(path);
        return false;
    }
    return true;
}
