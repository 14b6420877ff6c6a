#include "MusicXmlReader.h"

#include "MxlArchive.h"

#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>

namespace
{

// The longest note or rest taken, in quarter notes: longer is a broken file.
constexpr qint64 kLongest = 256;

bool is(const QXmlStreamReader &xml, const char *name)
{
    return xml.name() == QLatin1String(name);
}

qint64 number(QXmlStreamReader &xml)
{
    bool ok = false;
    const double v = xml.readElementText().trimmed().toDouble(&ok);
    return ok && std::isfinite(v) && std::abs(v) < 1e12 ? std::llround(v) : -1;
}

} // namespace

bool MusicXmlReader::fail(const QString &message)
{
    m_melody = {};
    m_error = message;
    return false;
}

bool MusicXmlReader::read(QByteArrayView bytes, int part)
{
    m_melody = {};
    m_error.clear();
    m_notes = 0;
    m_voice.clear();
    MxlArchive archive;
    if (MxlArchive::looksLikeZip(bytes)) {
        if (!archive.read(bytes))
            return fail(archive.error());
        bytes = archive.score();
    }

    QXmlStreamReader xml(QByteArray::fromRawData(bytes.data(), bytes.size()));
    if (!xml.readNextStartElement()) {
        return fail(QStringLiteral("MusicXML ファイルではありません"));
    }
    if (is(xml, "score-timewise"))
        return fail(QStringLiteral("timewise 形式の MusicXML には対応していません（partwise "
                                   "形式で書き出してください）"));
    if (!is(xml, "score-partwise"))
        return fail(QStringLiteral("MusicXML ファイルではありません"));
    int parts = 0;
    bool found = false;
    while (xml.readNextStartElement()) {
        if (is(xml, "part") && ++parts == part) {
            if (!readPart(xml) && !m_error.isEmpty())
                return false;
            found = true;
        } else if (is(xml, "movement-title") && m_melody.title.isEmpty()) {
            m_melody.title = xml.readElementText().trimmed();
        } else if (is(xml, "work")) {
            while (xml.readNextStartElement()) {
                if (is(xml, "work-title"))
                    m_melody.title = xml.readElementText().trimmed();
                else
                    xml.skipCurrentElement();
            }
        } else {
            xml.skipCurrentElement();
        }
    }
    // Read on to the end, so that a file cut short is never taken.
    while (!xml.atEnd())
        xml.readNext();
    if (xml.hasError())
        return fail(QStringLiteral("MusicXML として読めません（%1 行目: %2）")
                        .arg(xml.lineNumber())
                        .arg(xml.errorString()));
    if (parts == 0)
        return fail(QStringLiteral("音符がありません"));
    if (!found)
        return fail(
            QStringLiteral("パート %1 はありません（パートは %2 つです）").arg(part).arg(parts));
    if (m_melody.phrases().isEmpty())
        return fail(QStringLiteral("音符がありません"));
    return true;
}

bool MusicXmlReader::readPart(QXmlStreamReader &xml)
{
    Measure carried; // attributes hold until changed
    while (xml.readNextStartElement()) {
        if (!is(xml, "measure")) {
            xml.skipCurrentElement();
            continue;
        }
        if (m_melody.measures.size() >= Melody::kMaxMeasures)
            return fail(QStringLiteral("曲が長すぎます（%1 小節まで）").arg(Melody::kMaxMeasures));
        Measure measure = carried;
        measure.events.clear();
        measure.tempo.reset();
        measure.number = xml.attributes().value(QLatin1String("number")).toString();
        measure.implicit =
            xml.attributes().value(QLatin1String("implicit")) == QLatin1String("yes");
        m_at = m_voiceAt = 0;
        if (!readMeasure(xml, measure))
            return false;
        carried = measure;
        m_melody.measures.append(std::move(measure));
    }
    return !xml.hasError();
}

bool MusicXmlReader::readMeasure(QXmlStreamReader &xml, Measure &measure)
{
    while (xml.readNextStartElement()) {
        if (is(xml, "attributes")) {
            readAttributes(xml, measure);
        } else if (is(xml, "note")) {
            if (!readNote(xml, measure))
                return false;
        } else if (is(xml, "backup") || is(xml, "forward")) {
            const bool back = is(xml, "backup");
            qint64 d = 0;
            while (xml.readNextStartElement()) {
                if (is(xml, "duration"))
                    d = number(xml);
                else
                    xml.skipCurrentElement();
            }
            if (d < 0 || d > kLongest * measure.divisions)
                return fail(QStringLiteral("MusicXML の長さ（duration）が読めません（%1 行目）")
                                .arg(xml.lineNumber()));
            m_at = back ? std::max<qint64>(0, m_at - d) : m_at + d;
        } else if (is(xml, "direction") || is(xml, "sound")) {
            // A tempo may stand on any <sound> inside.
            for (int depth = 1; depth > 0 && !xml.atEnd();) {
                if (xml.isStartElement() && is(xml, "sound") && !measure.tempo) {
                    const double t = xml.attributes().value(QLatin1String("tempo")).toDouble();
                    if (t >= 1 && t <= 1000)
                        measure.tempo = t;
                }
                const auto token = xml.readNext();
                depth += token == QXmlStreamReader::StartElement ? 1
                         : token == QXmlStreamReader::EndElement ? -1
                                                                 : 0;
            }
        } else {
            xml.skipCurrentElement();
        }
    }
    return !xml.hasError();
}

void MusicXmlReader::readAttributes(QXmlStreamReader &xml, Measure &measure)
{
    while (xml.readNextStartElement()) {
        if (is(xml, "divisions")) {
            const qint64 d = number(xml);
            if (d > 0 && d <= 1000000)
                measure.divisions = int(d);
        } else if (is(xml, "key")) {
            while (xml.readNextStartElement()) {
                if (is(xml, "fifths")) {
                    const qint64 f = number(xml);
                    if (f >= -7 && f <= 7)
                        measure.fifths = int(f);
                } else if (is(xml, "mode")) {
                    measure.minor = xml.readElementText().trimmed() == QLatin1String("minor");
                } else {
                    xml.skipCurrentElement();
                }
            }
        } else if (is(xml, "time")) {
            int beats = 0, beatType = 0;
            while (xml.readNextStartElement()) {
                if (is(xml, "beats")) {
                    // Compound signatures ("3+2") count their sum.
                    for (const QString &piece : xml.readElementText().split(QLatin1Char('+')))
                        beats += qBound(0, piece.trimmed().toInt(), 64);
                } else if (is(xml, "beat-type")) {
                    beatType = xml.readElementText().trimmed().toInt();
                } else {
                    xml.skipCurrentElement();
                }
            }
            if (beats > 0 && beats <= 128 &&
                (beatType == 1 || beatType == 2 || beatType == 4 || beatType == 8 ||
                 beatType == 16 || beatType == 32)) {
                measure.beats = beats;
                measure.beatType = beatType;
            }
        } else {
            xml.skipCurrentElement();
        }
    }
}

bool MusicXmlReader::readNote(QXmlStreamReader &xml, Measure &measure)
{
    const qint64 line = xml.lineNumber();
    MelodyEvent ev;
    bool grace = false, cue = false, chord = false, rest = false, lyricRead = false;
    QString voice;
    while (xml.readNextStartElement()) {
        if (is(xml, "grace")) {
            grace = true;
            xml.skipCurrentElement();
        } else if (is(xml, "cue")) {
            cue = true;
            xml.skipCurrentElement();
        } else if (is(xml, "chord")) {
            chord = true;
            xml.skipCurrentElement();
        } else if (is(xml, "rest")) {
            rest = true;
            xml.skipCurrentElement();
        } else if (is(xml, "pitch") || is(xml, "unpitched")) {
            Pitch p;
            qint64 octave = -1;
            while (xml.readNextStartElement()) {
                if (is(xml, "step") || is(xml, "display-step")) {
                    const QString s = xml.readElementText().trimmed();
                    p.step = s.size() == 1 ? s.at(0).toLatin1() : '?';
                } else if (is(xml, "alter")) {
                    p.alter = int(std::clamp<qint64>(number(xml), -2, 2));
                } else if (is(xml, "octave") || is(xml, "display-octave")) {
                    octave = number(xml);
                } else {
                    xml.skipCurrentElement();
                }
            }
            if (p.step < 'A' || p.step > 'G' || octave < 0 || octave > 9)
                return fail(QStringLiteral("MusicXML の音の高さが読めません（%1 行目）").arg(line));
            p.octave = int(octave);
            ev.pitch = p;
        } else if (is(xml, "duration")) {
            ev.duration = number(xml);
        } else if (is(xml, "tie")) {
            if (xml.attributes().value(QLatin1String("type")) == QLatin1String("start"))
                ev.tieToNext = true;
            xml.skipCurrentElement();
        } else if (is(xml, "voice")) {
            voice = xml.readElementText().trimmed();
        } else if (is(xml, "type")) {
            ev.type = xml.readElementText().trimmed();
        } else if (is(xml, "dot")) {
            ev.dots = std::min(ev.dots + 1, 4);
            xml.skipCurrentElement();
        } else if (is(xml, "time-modification")) {
            while (xml.readNextStartElement()) {
                if (is(xml, "actual-notes"))
                    ev.tupletActual = int(std::clamp<qint64>(number(xml), 0, 64));
                else if (is(xml, "normal-notes"))
                    ev.tupletNormal = int(std::clamp<qint64>(number(xml), 0, 64));
                else
                    xml.skipCurrentElement();
            }
        } else if (is(xml, "notations")) {
            while (xml.readNextStartElement()) {
                const QStringView type = xml.attributes().value(QLatin1String("type"));
                if (is(xml, "tuplet")) {
                    ev.tupletStart = ev.tupletStart || type == QLatin1String("start");
                    ev.tupletStop = ev.tupletStop || type == QLatin1String("stop");
                } else if (is(xml, "tied") && type == QLatin1String("start")) {
                    ev.tieToNext = true;
                }
                xml.skipCurrentElement();
            }
        } else if (is(xml, "lyric") && !lyricRead) {
            lyricRead = true;
            while (xml.readNextStartElement()) {
                if (is(xml, "text"))
                    ev.lyric += xml.readElementText();
                else
                    xml.skipCurrentElement();
            }
        } else {
            xml.skipCurrentElement();
        }
    }
    if (xml.hasError())
        return false;
    if (grace)
        return true;
    if (ev.duration < 0 || ev.duration > kLongest * measure.divisions)
        return fail(QStringLiteral("MusicXML の長さ（duration）が読めません（%1 行目）").arg(line));
    if (ev.tupletActual <= 0 || ev.tupletNormal <= 0)
        ev.tupletActual = ev.tupletNormal = 0;
    if (rest)
        ev.pitch.reset();
    if (voice.isEmpty())
        voice = QStringLiteral("1");

    if (chord) {
        // The top note of a chord is the sung one.
        if (!cue && voice == m_voice && !measure.events.isEmpty()) {
            MelodyEvent &last = measure.events.last();
            if (last.pitch && ev.pitch && ev.pitch->midi() > last.pitch->midi()) {
                last.pitch = ev.pitch;
                last.tieToNext = ev.tieToNext;
            }
        }
        return true;
    }
    const qint64 start = m_at;
    m_at += ev.duration;
    if (cue)
        return true;
    if (m_voice.isEmpty())
        m_voice = voice;
    if (voice != m_voice)
        return true;
    if (start > m_voiceAt) {
        // The voice rests where another one sounds.
        const qint64 gap = start - m_voiceAt;
        if (gap > kLongest * measure.divisions)
            return fail(
                QStringLiteral("MusicXML の長さ（duration）が読めません（%1 行目）").arg(line));
        const QList<MelodyEvent> rests = Melody::written(gap, measure.divisions);
        measure.events.append(rests);
        m_notes += rests.size();
    }
    m_voiceAt = std::max(m_voiceAt, m_at);
    m_notes += 1;
    if (m_notes > Melody::kMaxNotes)
        return fail(QStringLiteral("音符が多すぎます（%1 個まで）").arg(Melody::kMaxNotes));
    measure.events.append(std::move(ev));
    return true;
}
