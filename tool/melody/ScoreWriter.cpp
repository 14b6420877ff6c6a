#include "ScoreWriter.h"

#include "MxlArchive.h"

#include <QDate>
#include <QHash>
#include <QSaveFile>

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

// Writes indented XML straight into UTF-8: QXmlStreamWriter costs more
// than all the rest of the tool on a long melody.
class Xml
{
public:
    using Attributes = std::initializer_list<std::pair<const char *, QString>>;

    explicit Xml(QByteArray &out) : m_out(out) {}

    void start(const char *name, Attributes attributes = {})
    {
        tag(name, attributes);
        m_out += '>';
        m_open.append(name);
    }
    void empty(const char *name, Attributes attributes = {})
    {
        tag(name, attributes);
        m_out += "/>";
    }
    void leaf(const char *name, const QString &text)
    {
        tag(name, {});
        m_out += '>';
        m_out += text.toHtmlEscaped().toUtf8();
        m_out += "</";
        m_out += name;
        m_out += '>';
    }
    void end()
    {
        const char *name = m_open.takeLast();
        indent();
        m_out += "</";
        m_out += name;
        m_out += '>';
    }

private:
    void indent()
    {
        m_out += '\n';
        m_out.append(2 * m_open.size(), ' ');
    }
    void tag(const char *name, Attributes attributes)
    {
        indent();
        m_out += '<';
        m_out += name;
        for (const auto &[key, value] : attributes) {
            m_out += ' ';
            m_out += key;
            m_out += "=\"";
            m_out += value.toHtmlEscaped().toUtf8();
            m_out += '"';
        }
    }

    QByteArray &m_out;
    QList<const char *> m_open;
};

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
    out.reserve(4096 + 600 * m_melody.noteCount());
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
           "<!DOCTYPE score-partwise PUBLIC \"-//Recordare//DTD MusicXML 4.0 Partwise//EN\" "
           "\"http://www.musicxml.org/dtds/partwise.dtd\">";
    Xml xml(out);
    xml.start("score-partwise", {{"version", QStringLiteral("4.0")}});
    xml.start("work");
    xml.leaf("work-title", m_title);
    xml.end();
    xml.start("identification");
    xml.start("encoding");
    xml.leaf("software", QStringLiteral("lyrmak-tool"));
    xml.leaf("encoding-date", QDate::currentDate().toString(Qt::ISODate));
    xml.end();
    xml.end();
    xml.start("part-list");
    xml.start("score-part", {{"id", QStringLiteral("P1")}});
    xml.leaf("part-name", QStringLiteral("歌"));
    xml.start("score-instrument", {{"id", QStringLiteral("P1-I1")}});
    xml.leaf("instrument-name", QStringLiteral("Voice"));
    xml.end();
    xml.start("midi-instrument", {{"id", QStringLiteral("P1-I1")}});
    xml.leaf("midi-channel", QString::number(1));
    xml.leaf("midi-program", QString::number(53)); // choir aahs
    xml.end();
    xml.end();
    xml.end();

    xml.start("part", {{"id", QStringLiteral("P1")}});
    const Measure *before = nullptr;
    for (qsizetype mi = 0; mi < m_melody.measures.size(); ++mi) {
        const Measure &m = m_melody.measures[mi];
        const QString number = m.number.isEmpty() ? QString::number(mi + 1) : m.number;
        if (m.implicit)
            xml.start("measure", {{"number", number}, {"implicit", QStringLiteral("yes")}});
        else
            xml.start("measure", {{"number", number}});
        const bool divisions = !before || before->divisions != m.divisions;
        const bool keyChange = !before || before->fifths != m.fifths || before->minor != m.minor;
        const bool time = !before || before->beats != m.beats || before->beatType != m.beatType;
        if (divisions || keyChange || time) {
            xml.start("attributes");
            if (divisions)
                xml.leaf("divisions", QString::number(m.divisions));
            if (keyChange) {
                xml.start("key");
                xml.leaf("fifths", QString::number(m.fifths));
                xml.leaf("mode", m.minor ? QStringLiteral("minor") : QStringLiteral("major"));
                xml.end();
            }
            if (time) {
                xml.start("time");
                xml.leaf("beats", QString::number(m.beats));
                xml.leaf("beat-type", QString::number(m.beatType));
                xml.end();
            }
            if (!before) {
                xml.start("clef");
                xml.leaf("sign", bass ? QStringLiteral("F") : QStringLiteral("G"));
                xml.leaf("line", QString::number(bass ? 4 : 2));
                xml.end();
            }
            xml.end();
        }
        if (m.tempo) {
            const QString bpm = QString::number(*m.tempo, 'g', 6);
            xml.start("direction", {{"placement", QStringLiteral("above")}});
            xml.start("direction-type");
            xml.start("metronome");
            xml.leaf("beat-unit", QStringLiteral("quarter"));
            xml.leaf("per-minute", bpm);
            xml.end();
            xml.end();
            xml.empty("sound", {{"tempo", bpm}});
            xml.end();
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
            xml.start("note");
            if (e.pitch) {
                xml.start("pitch");
                xml.leaf("step", QString(QLatin1Char(e.pitch->step)));
                if (e.pitch->alter)
                    xml.leaf("alter", QString::number(e.pitch->alter));
                xml.leaf("octave", QString::number(e.pitch->octave));
                xml.end();
            } else {
                if (measureRest)
                    xml.empty("rest", {{"measure", QStringLiteral("yes")}});
                else
                    xml.empty("rest");
            }
            xml.leaf("duration", QString::number(e.duration));
            // A tie runs on across the bar line into the next measure.
            const MelodyEvent *prev = ei > 0 ? &m.events[ei - 1]
                                      : (mi > 0 && !m_melody.measures[mi - 1].events.isEmpty())
                                          ? &m_melody.measures[mi - 1].events.last()
                                          : nullptr;
            tiedIn = e.pitch && prev && prev->pitch && prev->tieToNext &&
                     prev->pitch->midi() == e.pitch->midi();
            // A tie only to the same pitch: a chord's top note may have
            // taken the place of the note tied to.
            const MelodyEvent *next =
                ei + 1 < m.events.size() ? &m.events[ei + 1]
                : (mi + 1 < m_melody.measures.size() && !m_melody.measures[mi + 1].events.isEmpty())
                    ? &m_melody.measures[mi + 1].events.first()
                    : nullptr;
            const bool tiedOut = e.pitch && e.tieToNext && next && next->pitch &&
                                 next->pitch->midi() == e.pitch->midi();
            if (tiedIn) {
                xml.empty("tie", {{"type", QStringLiteral("stop")}});
            }
            if (tiedOut) {
                xml.empty("tie", {{"type", QStringLiteral("start")}});
            }
            xml.leaf("voice", QStringLiteral("1"));
            if (!type.isEmpty() && !measureRest) {
                xml.leaf("type", type);
                for (int d = 0; d < dots; ++d)
                    xml.empty("dot");
            }
            if (e.tupletActual > 0) {
                xml.start("time-modification");
                xml.leaf("actual-notes", QString::number(e.tupletActual));
                xml.leaf("normal-notes", QString::number(e.tupletNormal));
                xml.end();
            }
            if (tiedIn || tiedOut || e.tupletStart || e.tupletStop) {
                xml.start("notations");
                if (tiedIn) {
                    xml.empty("tied", {{"type", QStringLiteral("stop")}});
                }
                if (tiedOut) {
                    xml.empty("tied", {{"type", QStringLiteral("start")}});
                }
                if (e.tupletStart) {
                    xml.empty("tuplet", {{"type", QStringLiteral("start")}});
                }
                if (e.tupletStop) {
                    xml.empty("tuplet", {{"type", QStringLiteral("stop")}});
                }
                xml.end();
            }
            if (auto l = lyrics.constFind(key(mi, ei)); l != lyrics.cend()) {
                xml.start("lyric", {{"number", QStringLiteral("1")}});
                xml.leaf("syllabic", QStringLiteral("single"));
                xml.leaf("text", l->text);
                if (l->extend)
                    xml.empty("extend");
                if (l->endLine)
                    xml.empty("end-line");
                xml.end();
            }
            xml.end();
        }
        xml.end();
        before = &m;
    }
    xml.end();
    xml.end();
    out += '\n';
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
