#include "MelodyFile.h"
#include "MoraSyllables.h"
#include "MusicXmlReader.h"
#include "MxlArchive.h"
#include "ScoreWriter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <smf.h>
#include <zip.h>

namespace
{

// A MIDI note: track (from 1), channel, start and end in pulses, key.
struct Note {
    int track, channel, start, end, pitch;
};

// A Standard MIDI File written by libsmf itself; `meta` events (raw bytes)
// go on track 1 at time 0.
QByteArray midi(int ppqn, const QList<Note> &notes, const QList<QByteArray> &meta = {})
{
    smf_t *smf = smf_new();
    if (smf_set_ppqn(smf, ppqn) != 0)
        return {};
    int tracks = 1;
    for (const Note &n : notes)
        tracks = std::max(tracks, n.track);
    for (int t = 0; t < tracks; ++t)
        smf_add_track(smf, smf_track_new());
    for (QByteArray m : meta)
        smf_track_add_event_pulses(smf_get_track_by_number(smf, 1),
                                   smf_event_new_from_pointer(m.data(), int(m.size())), 0);
    struct Ev {
        int track, at, b0, b1, b2;
    };
    QList<Ev> events;
    for (const Note &n : notes) {
        events.append({n.track, n.start, 0x90 | n.channel, n.pitch, 100});
        events.append({n.track, n.end, 0x80 | n.channel, n.pitch, 0});
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const Ev &a, const Ev &b) { return a.at < b.at; });
    for (const Ev &e : events)
        smf_track_add_event_pulses(smf_get_track_by_number(smf, e.track),
                                   smf_event_new_from_bytes(e.b0, e.b1, e.b2), e.at);
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath("t.mid"));
    QByteArray bytes;
    if (smf_save(smf, path.constData()) == 0) {
        QFile f(QString::fromLocal8Bit(path));
        if (f.open(QIODevice::ReadOnly))
            bytes = f.readAll();
    }
    smf_delete(smf);
    return bytes;
}

// A partwise score with `parts` as the measures of each part.
QByteArray score(const QStringList &parts)
{
    QByteArray x = "<?xml version=\"1.0\"?>\n<score-partwise version=\"4.0\"><part-list>";
    for (qsizetype i = 0; i < parts.size(); ++i)
        x += "<score-part id=\"P" + QByteArray::number(i) + "\"><part-name/></score-part>";
    x += "</part-list>";
    for (qsizetype i = 0; i < parts.size(); ++i)
        x += "<part id=\"P" + QByteArray::number(i) + "\">" + parts[i].toUtf8() + "</part>";
    return x + "</score-partwise>\n";
}

// A quarter note (or rest with "R"), extra elements after the pitch.
QString n(const QString &step, const QString &extra = {}, int duration = 1)
{
    const QString pitch =
        step == QLatin1String("R")
            ? QStringLiteral("<rest/>")
            : QStringLiteral("<pitch><step>%1</step><octave>4</octave></pitch>").arg(step);
    return QStringLiteral("<note>%1<duration>%2</duration>%3</note>")
        .arg(pitch)
        .arg(duration)
        .arg(extra);
}

QString measure(const QString &notes)
{
    return QStringLiteral("<measure number=\"1\"><attributes><divisions>1</divisions>"
                          "</attributes>%1</measure>")
        .arg(notes);
}

// The sung notes: MIDI keys, phrases parted by " | ".
QString sung(const Melody &m)
{
    QStringList phrases;
    for (const QList<Melody::Place> &p : m.phrases()) {
        QStringList keys;
        for (const Melody::Place &at : p)
            keys.append(QString::number(m.measures[at.measure].events[at.event].pitch->midi()));
        phrases.append(keys.join(u' '));
    }
    return phrases.join(QStringLiteral(" | "));
}

// The lyric under each sung note, phrases parted by " | ", "-" for none.
QString lyrics(const Melody &m)
{
    QStringList phrases;
    for (const QList<Melody::Place> &p : m.phrases()) {
        QStringList texts;
        for (const Melody::Place &at : p) {
            const QString &l = m.measures[at.measure].events[at.event].lyric;
            texts.append(l.isEmpty() ? QStringLiteral("-") : l);
        }
        phrases.append(texts.join(u' '));
    }
    return phrases.join(QStringLiteral(" | "));
}

// A zip with one entry of `size` zero bytes: tiny packed, huge unpacked.
QByteArray zipOfZeros(const char *name, qint64 size)
{
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath("z.mxl"));
    int code = 0;
    zip_t *z = zip_open(path.constData(), ZIP_CREATE, &code);
    const QByteArray zeros(size, '\0');
    zip_file_add(z, name, zip_source_buffer(z, zeros.constData(), zip_uint64_t(size), 0), 0);
    zip_close(z);
    QFile f(QString::fromLocal8Bit(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class tst_Melody : public QObject
{
    Q_OBJECT
private slots:
    void midi_data();
    void midi();
    void musicXml_data();
    void musicXml();
    void badInput_data();
    void badInput();
    void syllables_data();
    void syllables();
    void scoreReadBack();
};

void tst_Melody::midi_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("part");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("measures");
    const int q = 480;
    QTest::newRow("a rest of a sixteenth parts phrases")
        << ::midi(q, {{1, 0, 0, q, 60}, {1, 0, q, 2 * q, 62}, {1, 0, 2 * q + q / 4, 3 * q, 64}})
        << 1 << "60 62 | 64" << 1;
    QTest::newRow("a shorter gap joins the note before")
        << ::midi(q, {{1, 0, 0, q - 50, 60}, {1, 0, q, 2 * q, 62}}) << 1 << "60 62" << 1;
    QTest::newRow("a chord gives its top note, even played a little late")
        << ::midi(q, {{1, 0, 0, q, 60}, {1, 0, 5, q, 67}, {1, 0, 0, q, 64}, {1, 0, q, 2 * q, 59}})
        << 1 << "67 59" << 1;
    QTest::newRow("a note across the bar line is one note")
        << ::midi(q, {{1, 0, 3 * q, 6 * q, 60}, {1, 0, 6 * q, 7 * q, 62}}) << 1 << "60 62" << 2;
    // Type 1: a tempo track without notes, then two melodies.
    QTest::newRow("part 2 is the second track with notes")
        << ::midi(q, {{2, 0, 0, q, 60}, {3, 0, 0, q, 72}, {3, 0, q, 2 * q, 74}},
                  {QByteArray("\xFF\x51\x03\x07\xA1\x20", 6)})
        << 2 << "72 74" << 1;
    QTest::newRow("channels of one track are parts")
        << ::midi(96, {{1, 0, 0, 96, 60}, {1, 1, 0, 96, 48}}) << 2 << "48" << 1;
    QTest::newRow("thirty-seconds stay apart")
        << ::midi(q, {{1, 0, 0, q / 8, 60}, {1, 0, q / 8, q / 4, 62}, {1, 0, q / 4, q, 64}}) << 1
        << "60 62 64" << 1;
    QTest::newRow("3/4 makes measures of three beats")
        << ::midi(q, {{1, 0, 0, 6 * q, 60}}, {QByteArray("\xFF\x58\x04\x03\x02\x18\x08", 7)}) << 1
        << "60" << 2;
}

void tst_Melody::midi()
{
    QFETCH(QByteArray, file);
    QFETCH(int, part);
    QFETCH(QString, expected);
    QFETCH(int, measures);
    MelodyFile m;
    QVERIFY2(m.read(file, QStringLiteral("t.mid"), part), qPrintable(m.error()));
    QCOMPARE(sung(m.melody()), expected);
    QCOMPARE(m.melody().measures.size(), measures);
    // Every measure is exactly full.
    for (const Measure &measure : m.melody().measures) {
        qint64 length = 0;
        for (const MelodyEvent &e : measure.events)
            length += e.duration;
        QCOMPARE(length, qint64(measure.beats) * 4 * measure.divisions / measure.beatType);
    }
}

void tst_Melody::musicXml_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("part");
    QTest::addColumn<QString>("expected");
    const QString tieStart = QStringLiteral("<tie type=\"start\"/>");
    QTest::newRow("a rest parts phrases")
        << score({measure(n("C") + n("D") + n("R") + n("E"))}) << 1 << "60 62 | 64";
    QTest::newRow("tied notes are one, across the bar line")
        << score({measure(n("C") + n("D", tieStart, 3)) + measure(n("D") + n("E"))}) << 1
        << "60 62 64";
    QTest::newRow("a tie to another pitch is no tie")
        << score({measure(n("C", tieStart) + n("D"))}) << 1 << "60 62";
    QTest::newRow("a chord gives its top note")
        << score({measure(n("E") + n("G", "<chord/>") + n("C", "<chord/>") + n("D"))}) << 1
        << "67 62";
    QTest::newRow("grace notes are skipped")
        << score({measure("<note><grace/><pitch><step>B</step><octave>4</octave></pitch></note>" +
                          n("C"))})
        << 1 << "60";
    QTest::newRow("the first voice only; its gap is a rest")
        << score({measure(n("C", "<voice>1</voice>") + "<forward><duration>1</duration></forward>" +
                          n("D", "<voice>1</voice>") + "<backup><duration>3</duration></backup>" +
                          n("A", "<voice>2</voice>", 3))})
        << 1 << "60 | 62";
    QTest::newRow("part 2") << score({measure(n("C")), measure(n("D") + n("E"))}) << 2 << "62 64";
    QTest::newRow("compressed") << [] {
        QTemporaryDir dir;
        MxlArchive().write(dir.filePath("s.mxl"), score({measure(n("F"))}));
        QFile f(dir.filePath("s.mxl"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }() << 1 << "65";
}

void tst_Melody::musicXml()
{
    QFETCH(QByteArray, file);
    QFETCH(int, part);
    QFETCH(QString, expected);
    MelodyFile m;
    QVERIFY2(m.read(file, QStringLiteral("t.musicxml"), part), qPrintable(m.error()));
    QCOMPARE(sung(m.melody()), expected);
}

// Each bad file is a message that names the file, never a crash or a hang.
void tst_Melody::badInput_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("part");
    QTest::addColumn<QString>("error");
    const QByteArray good = ::midi(480, {{1, 0, 0, 480, 60}});
    QTest::newRow("empty") << QByteArray() << 1 << "空のファイルです";
    QTest::newRow("text") << QByteArray("夜の港に") << 1 << "MIDI ファイルでも MusicXML";
    QTest::newRow("truncated MIDI") << good.chopped(6) << 1 << "途中で切れています";
    QTest::newRow("MIDI without notes") << ::midi(480, {}) << 1 << "音符がありません";
    QTest::newRow("MIDI part 2 of 1") << good << 2 << "パート 2 はありません";
    QTest::newRow("truncated MusicXML") << score({measure(n("C"))}).chopped(30) << 1 << "行目";
    QTest::newRow("other XML") << QByteArray("<html/>") << 1 << "MusicXML ファイルではありません";
    QTest::newRow("timewise") << QByteArray("<score-timewise/>") << 1 << "partwise";
    QTest::newRow("only rests") << score({measure(n("R"))}) << 1 << "音符がありません";
    QTest::newRow("no such part") << score({measure(n("C"))}) << 3 << "パート 3 はありません";
    QTest::newRow("huge duration")
        << score({measure(n("C", {}, 2000000000))}) << 1 << "長さ（duration）";
    QTest::newRow("100,000 notes")
        << score({measure(n("C").repeated(100000))}) << 1 << "音符が多すぎます";
    // Written byte by byte: libsmf adds events one by one, far too slowly.
    QTest::newRow("MIDI with 100,000 notes") << [] {
        QByteArray track;
        for (int i = 0; i < 100000; ++i)
            track += QByteArray("\x05\x90\x3C\x64\x05\x80\x3C\x00", 8);
        track += QByteArray("\x00\xFF\x2F\x00", 4);
        QByteArray file("MThd\0\0\0\x06\0\0\0\x01\0\x60MTrk", 18);
        for (int shift : {24, 16, 8, 0})
            file += char((track.size() >> shift) & 0xFF);
        return file + track;
    }() << 1 << "多すぎます";
    QTest::newRow("zip bomb") << zipOfZeros("score.xml", MxlArchive::kMaxUnpacked + 1) << 1
                              << "大きすぎます";
    QTest::newRow("zip without a score") << zipOfZeros("a.txt", 10) << 1 << "楽譜がありません";
    QTest::newRow("broken zip") << QByteArray("PK\x03\x04garbage", 11) << 1 << ".mxl";
}

void tst_Melody::badInput()
{
    QFETCH(QByteArray, file);
    QFETCH(int, part);
    QFETCH(QString, error);
    MelodyFile m;
    QVERIFY(!m.read(file, QStringLiteral("歌.mid"), part));
    QVERIFY2(m.error().startsWith(QStringLiteral("歌.mid: ")) && m.error().contains(error),
             qPrintable(m.error()));
}

void tst_Melody::syllables_data()
{
    QTest::addColumn<QString>("reading");
    QTest::addColumn<QString>("expected");
    QTest::newRow("small kana join, ッ and ン stand") << "キャッチーン"
                                                      << "きゃ っ ち い ん";
    QTest::newRow("long vowels") << "ラーメン　ソーダー"
                                 << "ら あ め ん そ お だ あ";
    QTest::newRow("hiragana and punctuation") << "ちょっと、まって！"
                                              << "ちょ っ と ま っ て";
    QTest::newRow("half-width") << "ｶﾞｯｷｭ"
                                << "が っ きゅ";
    QTest::newRow("ヴ and small vowels") << "ヴァイオリン"
                                         << "ゔぁ い お り ん";
    QTest::newRow("no reading: one syllable") << "LOVEです"
                                              << "LOVE で す";
    QTest::newRow("ー first") << "ーア"
                              << "ー あ";
}

void tst_Melody::syllables()
{
    QFETCH(QString, reading);
    QFETCH(QString, expected);
    QCOMPARE(MoraSyllables::split(reading).join(u' '), expected);
}

// What the writer puts under the notes is what a reader finds there:
// syllables that fit, fewer (the last one held) and more (sung on the last
// note), through a tie and into a compressed file.
void tst_Melody::scoreReadBack()
{
    const QString tieStart = QStringLiteral("<tie type=\"start\"/>");
    MusicXmlReader in;
    QVERIFY(in.read(score({measure(n("C") + n("D", tieStart) + n("D") + n("R")) +
                           measure(n("E") + n("F") + n("G") + n("R")) +
                           measure(n("A") + n("B") + n("R", {}, 2))})));
    const QList<QStringList> lines{{"は", "る"}, {"な", "つ"}, {"あ", "き", "ふ", "ゆ"}};
    ScoreWriter writer(in.melody(), lines, QStringLiteral("四季"));
    QTemporaryDir dir;
    for (const QString name : {"s.musicxml", "s.mxl"}) {
        QVERIFY2(writer.save(dir.filePath(name)), qPrintable(writer.error()));
        MelodyFile back;
        QVERIFY2(back.read(dir.filePath(name), 1), qPrintable(back.error()));
        QCOMPARE(lyrics(back.melody()), "は る | な つ - | あ きふゆ");
        QCOMPARE(sung(back.melody()), sung(in.melody()));
        QCOMPARE(back.melody().title, "四季");
    }
    const QByteArray xml = writer.musicXml();
    QCOMPARE(xml.count("<end-line/>"), 3);
    QCOMPARE(xml.count("<extend/>"), 1);
}

QTEST_GUILESS_MAIN(tst_Melody)
#include "tst_melody.moc"
