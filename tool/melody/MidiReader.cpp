#include "MidiReader.h"

#include "SmfFraming.h"

#include <QHash>
#include <algorithm>
#include <cmath>
#include <glib.h>
#include <limits>
#include <map>
#include <memory>
#include <smf.h>

namespace
{

struct RawNote {
    qint64 start, end;
    int pitch;
};

// A meta event in pulses: tempo (a), time signature (a/b), key (a, b minor).
struct Change {
    qint64 at;
    int a, b;
};

constexpr qsizetype kMaxEvents = 50000;

void quiet(const gchar *, GLogLevelFlags, const gchar *, gpointer) {}

// Notes starting this close together (in pulses) are one chord.
qint64 chordTolerance(int ppqn)
{
    return std::max(1, ppqn / 24);
}

// Keeps the top note of each chord and cuts notes where the next begins;
// a gap shorter than a sixteenth note joins the note before it.
QList<RawNote> oneVoice(QList<RawNote> notes, int ppqn)
{
    std::sort(notes.begin(), notes.end(), [](const RawNote &a, const RawNote &b) {
        return a.start != b.start ? a.start < b.start : a.pitch > b.pitch;
    });
    QList<RawNote> voice;
    for (const RawNote &n : notes) {
        if (!voice.isEmpty() && n.start - voice.last().start < chordTolerance(ppqn)) {
            if (n.pitch > voice.last().pitch) {
                voice.last().pitch = n.pitch;
                voice.last().end = n.end;
            }
            continue;
        }
        voice.append(n);
    }
    for (qsizetype i = 0; i + 1 < voice.size(); ++i) {
        const qint64 next = voice[i + 1].start;
        if (voice[i].end > next || 4 * (next - voice[i].end) < ppqn)
            voice[i].end = next;
    }
    return voice;
}

qint64 toUnits(qint64 pulses, int ppqn, int perQuarter)
{
    return (pulses * perQuarter + ppqn / 2) / ppqn;
}

// Sixteenths where they keep the notes apart, else finer.
int unitsPerQuarter(const QList<RawNote> &voice, int ppqn)
{
    for (const int q : {4, 8, 16}) {
        bool apart = true;
        for (qsizetype i = 0; i + 1 < voice.size() && apart; ++i)
            apart = toUnits(voice[i].start, ppqn, q) < toUnits(voice[i + 1].start, ppqn, q);
        if (apart)
            return q;
    }
    return 16;
}

template <typename T> T inForce(const std::map<qint64, T> &changes, qint64 at, T fallback)
{
    auto it = changes.upper_bound(at);
    return it == changes.begin() ? fallback : std::prev(it)->second;
}

} // namespace

bool MidiReader::looksLikeMidi(QByteArrayView bytes)
{
    return bytes.startsWith("MThd");
}

bool MidiReader::fail(const QString &message)
{
    m_melody = {};
    m_error = message;
    return false;
}

bool MidiReader::read(QByteArrayView bytes, int part)
{
    m_melody = {};
    m_error.clear();
    if (!bytes.startsWith("MThd"))
        return fail(QStringLiteral("MIDI ファイル（SMF）ではありません"));
    if (bytes.size() > std::numeric_limits<int>::max())
        return fail(QStringLiteral("ファイルが大きすぎます"));
    qsizetype events = 0;
    if (!SmfFraming::safeForLibsmf(bytes, events))
        return fail(
            QStringLiteral("MIDI ファイルとして読めません（壊れているか、途中で切れています）"));
    // libsmf takes time that grows faster than the file: stop long before.
    if (events > kMaxEvents)
        return fail(QStringLiteral("MIDI のイベントが多すぎます（%1 個まで）").arg(kMaxEvents));

    // libsmf reports what it cannot parse through GLib; the reader says it
    // once, in Japanese.
    const GLogFunc before = g_log_set_default_handler(quiet, nullptr);
    smf_t *loaded = smf_load_from_memory(bytes.data(), int(bytes.size()));
    g_log_set_default_handler(before, nullptr);
    if (!loaded)
        return fail(
            QStringLiteral("MIDI ファイルとして読めません（壊れているか、途中で切れています）"));
    const std::unique_ptr<smf_t, decltype(&smf_delete)> smf(loaded, smf_delete);
    const int ppqn = smf->ppqn;
    if (ppqn <= 0)
        return fail(QStringLiteral("時間が SMPTE 形式の MIDI ファイルには対応していません"));

    // Parts: (track, channel) with notes, in track order, channel order.
    std::map<std::pair<int, int>, QList<RawNote>> parts;
    std::map<qint64, Change> tempos, times, keys;
    QHash<int, QList<qint64>> open; // (part key, pitch) -> starts not yet ended
    qsizetype noteCount = 0;
    for (int t = 1; t <= smf->number_of_tracks; ++t) {
        smf_track_t *track = smf_get_track_by_number(smf.get(), t);
        if (!track)
            continue;
        open.clear();
        for (int k = 1; k <= track->number_of_events; ++k) {
            const smf_event_t *ev = smf_track_get_event_by_number(track, k);
            if (!ev || !ev->midi_buffer || ev->midi_buffer_length < 1)
                continue;
            const unsigned char *b = ev->midi_buffer;
            const int len = ev->midi_buffer_length;
            const qint64 at = ev->time_pulses;
            if (b[0] == 0xFF && len >= 3) {
                if (b[1] == 0x51 && len >= 6) {
                    const int us = (b[len - 3] << 16) | (b[len - 2] << 8) | b[len - 1];
                    if (us > 0)
                        tempos.try_emplace(at, Change{at, us, 0});
                } else if (b[1] == 0x58 && len >= 7) {
                    if (b[3] > 0 && b[4] <= 6)
                        times.insert_or_assign(at, Change{at, b[3], 1 << b[4]});
                } else if (b[1] == 0x59 && len >= 5) {
                    const int fifths = static_cast<signed char>(b[3]);
                    if (fifths >= -7 && fifths <= 7)
                        keys.insert_or_assign(at, Change{at, fifths, b[4] == 1});
                }
                continue;
            }
            const int status = b[0] & 0xF0, channel = b[0] & 0x0F;
            if ((status != 0x80 && status != 0x90) || len < 3)
                continue;
            const int pitch = b[1] & 0x7F;
            if (pitch < 12)
                continue; // below any written octave (C0), and no one sings there
            const int key = (channel << 7) | pitch;
            if (status == 0x90 && b[2] > 0) {
                if (++noteCount > Melody::kMaxNotes)
                    return fail(
                        QStringLiteral("音符が多すぎます（%1 個まで）").arg(Melody::kMaxNotes));
                open[key].append(at);
            } else if (auto it = open.find(key); it != open.end() && !it->isEmpty()) {
                parts[{t, channel}].append(RawNote{it->takeFirst(), at, pitch});
            }
        }
        // Notes never ended last until the track's end.
        const qint64 end =
            track->number_of_events > 0 ? smf_track_get_last_event(track)->time_pulses : 0;
        for (auto it = open.cbegin(); it != open.cend(); ++it)
            for (const qint64 start : *it)
                parts[{t, it.key() >> 7}].append(
                    RawNote{start, std::max(end, start + 1), it.key() & 0x7F});
    }
    if (parts.empty())
        return fail(QStringLiteral("音符がありません"));
    if (part < 1 || part > int(parts.size()))
        return fail(QStringLiteral("パート %1 はありません（音符のあるトラックは %2 つです）")
                        .arg(part)
                        .arg(parts.size()));
    const QList<RawNote> voice = oneVoice(std::next(parts.begin(), part - 1)->second, ppqn);

    const int q = unitsPerQuarter(voice, ppqn);
    auto units = [&](qint64 pulses) { return toUnits(pulses, ppqn, q); };

    // The timeline in units: notes, and the rests between them.
    struct Span {
        qint64 start, end;
        int pitch; // -1: rest
    };
    QList<Span> spans;
    qint64 at = 0;
    for (qsizetype i = 0; i < voice.size(); ++i) {
        const qint64 s = units(voice[i].start);
        if (s < at)
            continue; // fell together with the note before
        qint64 e = std::max(units(voice[i].end), s + 1);
        if (i + 1 < voice.size()) {
            const qint64 next = units(voice[i + 1].start);
            const bool rest = voice[i].end < voice[i + 1].start;
            // A rest keeps at least one unit where the note can spare it.
            e = rest ? std::min(e, next - 1) : next;
            if (e <= s)
                e = next;
        }
        if (s > at)
            spans.append(Span{at, s, -1});
        spans.append(Span{s, e, voice[i].pitch});
        at = e;
    }

    // Measures from the time signatures, long enough for every note.
    std::map<qint64, std::pair<int, int>> timeAt;
    std::map<qint64, std::pair<int, bool>> keyAt;
    std::map<qint64, double> tempoAt;
    for (const auto &[p, c] : times)
        timeAt[units(p)] = {c.a, c.b};
    for (const auto &[p, c] : keys)
        keyAt[units(p)] = {c.a, c.b != 0};
    for (const auto &[p, c] : tempos)
        tempoAt.try_emplace(units(p), std::round(6e9 / c.a) / 100.0);
    // A note far out in time must not make millions of empty measures.
    QList<qint64> starts;
    for (qint64 pos = 0; pos < at || starts.isEmpty();) {
        if (starts.size() >= Melody::kMaxMeasures)
            return fail(QStringLiteral("曲が長すぎます（%1 小節まで）").arg(Melody::kMaxMeasures));
        const auto [beats, beatType] = inForce(timeAt, pos, std::pair<int, int>{4, 4});
        const auto [fifths, minor] = inForce(keyAt, pos, std::pair<int, bool>{0, false});
        Measure m;
        m.number = QString::number(starts.size() + 1);
        m.divisions = q;
        m.beats = beats;
        m.beatType = beatType;
        m.fifths = fifths;
        m.minor = minor;
        const qint64 length = std::max<qint64>(1, qint64(beats) * 4 * q / beatType);
        if (auto t = tempoAt.lower_bound(pos); t != tempoAt.end() && t->first < pos + length)
            m.tempo = t->second;
        starts.append(pos);
        pos += length;
        m_melody.measures.append(m);
    }
    if (!m_melody.measures.first().tempo && !tempoAt.empty())
        m_melody.measures.first().tempo = tempoAt.begin()->second;
    const qint64 end =
        starts.last() + std::max<qint64>(1, qint64(m_melody.measures.last().beats) * 4 * q /
                                                m_melody.measures.last().beatType);
    if (at < end)
        spans.append(Span{at, end, -1});

    // Each span, cut at the bar lines and written as plain or dotted notes.
    qsizetype m = 0;
    for (const Span &span : spans) {
        for (qint64 s = span.start; s < span.end;) {
            while (m + 1 < starts.size() && starts[m + 1] <= s)
                ++m;
            const qint64 barEnd = m + 1 < starts.size() ? starts[m + 1] : end;
            const qint64 e = std::min(span.end, barEnd);
            Measure &measure = m_melody.measures[m];
            const QList<MelodyEvent> pieces = Melody::written(e - s, q);
            for (MelodyEvent piece : pieces) {
                if (span.pitch >= 0) {
                    piece.pitch = Pitch::fromMidi(span.pitch, measure.fifths);
                    piece.tieToNext = true;
                }
                measure.events.append(piece);
            }
            s = e;
        }
        if (span.pitch >= 0)
            m_melody.measures[m].events.last().tieToNext = false;
    }
    return true;
}
