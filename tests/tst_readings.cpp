#include "FakeClock.h"
#include "FakeFileSystem.h"
#include "FakeRandom.h"
#include "FakeWindow.h"
#include "FolderFileSystem.h"
#include "LyricEngine.h"
#include "MecabReadingSource.h"
#include "Morae.h"
#include "ReadingMaker.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

namespace
{

// Morae of a reading's own text, its tags left out: -1 when unknown.
int fixedMorae(const QString &reading, bool refrains)
{
    if (reading.isNull())
        return -1;
    int n = 0;
    for (const ReadingMaker::Part &p : ReadingMaker::split(reading, refrains))
        n += p.slot ? 0 : Morae::count(p.text);
    return n;
}

} // namespace

class tst_Readings : public QObject
{
    Q_OBJECT
private slots:
    void tricky_data();
    void tricky();
    void missingDictionary_data();
    void missingDictionary();
    void bundledDataReadsWhole();
    void longListReadsAsAlone();
};

// Read by the real MeCab, as a word and as a frame line alike. `given` is
// the text of a "'=" line (null: none); an expected null reading is unknown.
void tst_Readings::tricky_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("given");
    QTest::addColumn<bool>("refrains");
    QTest::addColumn<QString>("reading");
    QTest::addColumn<int>("morae");
    const QString none;
    QTest::newRow("拗音 in kana") << "きゃりーぱみゅぱみゅ" << none << false
                                  << "キャリーパミュパミュ" << 7;
    QTest::newRow("拗音 in kanji") << "旅行" << none << false << "リョコー" << 3;
    QTest::newRow("促音") << "切手" << none << false << "キッテ" << 3;
    QTest::newRow("長音 by pronunciation")
        << "東京タワー" << none << false << "トーキョータワー" << 7;
    QTest::newRow("small vowels") << "ヴァイオリン" << none << false << "ヴァイオリン" << 5;
    QTest::newRow("は as a particle") << "君は" << none << false << "キミワ" << 3;
    QTest::newRow("は in kana stays") << "きみは" << none << false << "キミハ" << 3;
    QTest::newRow("へ as a particle") << "海へ" << none << false << "ウミエ" << 3;
    QTest::newRow("number in kanji") << "三つ" << none << false << "ミッツ" << 3;
    QTest::newRow("digits") << "3つ" << none << false << QString() << -1;
    QTest::newRow("full-width digits") << "３つ" << none << false << QString() << -1;
    QTest::newRow("English") << "Baby" << none << false << QString() << -1;
    QTest::newRow("English with '=") << "Baby"
                                     << "べいびー" << false << "ベイビー" << 4;
    QTest::newRow("tag inside English") << "Nobody" << none << false << QString() << -1;
    QTest::newRow("'= with tags and a space") << "夜のNoが"
                                              << "よるの　Noが" << false << "ヨルノ　Noガ" << 4;
    QTest::newRow("'= without the tag is not taken") << "Noを"
                                                     << "を" << false << "Noヲ" << 1;
    QTest::newRow("'= in kanji is not taken") << "漢字"
                                              << "かん字" << false << "カンジ" << 3;
    QTest::newRow("punctuation and spaces")
        << "「愛」！　ね" << none << false << "「アイ」！　ネ" << 3;
    QTest::newRow("half-width kana") << "ｶﾞｯｺｳ" << none << false << "ガッコウ" << 4;
    QTest::newRow("held tag with refrains") << "Gi1の花" << none << true << "Gi1ノハナ" << 3;
    QTest::newRow("digit after a tag without refrains")
        << "Gi1の花" << none << false << QString() << -1;
    QTest::newRow("empty word") << "" << none << false << "" << 0;
}

void tst_Readings::tricky()
{
    QFETCH(QString, text);
    QFETCH(QString, given);
    QFETCH(bool, refrains);
    QFETCH(QString, reading);
    QFETCH(int, morae);
    LyricData data = LyricData::withCategories();
    data.Refrains = refrains;
    data.WordLists[0].Words = QStringList{text};
    data.WordLists[0].Readings = QStringList{given};
    data.Frames = QStringList{QStringLiteral("\r\n") + text};
    data.FrameReadings = {QStringList{given}};
    MecabReadingSource mecab;
    ReadingMaker::workOut(data, &mecab);
    QCOMPARE(mecab.failure(), QString());
    QCOMPARE(data.WordLists[0].Readings, QStringList{reading});
    QCOMPARE(data.WordLists[0].Readings[0].isNull(), reading.isNull());
    QCOMPARE(data.FrameReadings, QList<QStringList>{QStringList{reading}});
    QCOMPARE(fixedMorae(data.WordLists[0].Readings[0], refrains), morae);
}

// Without a dictionary the program says so once, for a frame file with
// targets only, and fills as if it had none; kana are still read. Data
// without targets does not open the dictionary unless asked to.
void tst_Readings::missingDictionary_data()
{
    QTest::addColumn<QString>("dictionary"); // "TMP": a folder with a broken sys.dic
    QTest::addColumn<bool>("meters");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("later"); // worked out by the first filling
    const QString missing = QStringLiteral("/no/such/dictionary");
    QTest::newRow("missing, with meters") << missing << true << false << false;
    QTest::newRow("missing, with meters, later") << missing << true << false << true;
    QTest::newRow("missing, asked without meters") << missing << false << true << false;
    QTest::newRow("missing, neither") << missing << false << false << false;
    QTest::newRow("broken, with meters") << "TMP" << true << false << false;
}

void tst_Readings::missingDictionary()
{
    QFETCH(QString, dictionary);
    QFETCH(bool, meters);
    QFETCH(bool, asked);
    QFETCH(bool, later);
    QTemporaryDir tmp;
    if (dictionary == "TMP") {
        const QString real = QString::fromLatin1(MecabReadingSource::kDictionary);
        for (const char *f : {"dicrc", "char.bin", "matrix.bin", "unk.dic"})
            QVERIFY(QFile::copy(real + '/' + f, tmp.filePath(f)));
        QFile broken(tmp.filePath("sys.dic"));
        QVERIFY(broken.open(QIODevice::WriteOnly) && broken.write("not a dictionary") > 0);
        dictionary = tmp.path();
    }
    FakeFileSystem fs;
    fs.folder = QStringLiteral("/prog");
    QStringEncoder sjis("CP932");
    for (const char *n : {"Gi", "Ad", "Vi", "Vt"})
        fs.files[QStringLiteral("/prog/%1.dat").arg(n)] = sjis.encode(QStringLiteral("あ\r\n"));
    fs.files["/prog/No.dat"] = sjis.encode(QStringLiteral("花\r\nそら\r\n"));
    fs.files["/prog/LYRMAK.HLP"] = "help";
    fs.files["/prog/Kasi.dat"] =
        sjis.encode((meters ? QStringLiteral("'!拍 5\r\n") : QString()) + "Noを見た\r\n@\r\n");
    FakeClock clock;
    FakeRandom random;
    FakeWindow win;
    MecabReadingSource mecab(dictionary);
    LyricEngine engine(fs, clock, random, win);
    using Need = LyricEngine::ReadingNeed;
    engine.setReadingSource(&mecab, asked   ? Need::Always
                                    : later ? Need::WhenMetersLater
                                            : Need::WhenMeters);
    engine.Form_Load();
    if (later) {
        QVERIFY(win.boxes.isEmpty());
        engine.mnuNew_Click();
        win.m_text.clear();
    }

    QVERIFY(!engine.unloaded());
    const bool read = meters || asked;
    QCOMPARE(engine.readingFailure().contains(dictionary), read);
    QCOMPARE(win.boxes.size(), meters ? 1 : 0);
    if (meters) {
        QVERIFY(win.boxes[0].prompt.startsWith(engine.readingFailure()));
        QCOMPARE(win.boxes[0].buttons, MsgButtons::Ok);
    }
    QVERIFY(!engine.data().Meters);
    QStringList readings; // none worked out: no element
    if (read)
        readings = {QString(), QStringLiteral("ソラ")};
    QCOMPARE(engine.data().WordLists[4].Readings, readings);
    QVERIFY(engine.data().WordLists[4].Readings.value(0).isNull()); // 花 is unknown, not ""
    engine.mnuNew_Click();
    QVERIFY(win.m_text.endsWith("を見た\r\n"));
    QCOMPARE(win.boxes.size(), meters ? 1 : 0);
}

// Every word and frame line of the bundled data has a reading that MeCab
// (or a "'=" line) gives, kana around the tags.
void tst_Readings::bundledDataReadsWhole()
{
    FolderFileSystem files(QStringLiteral(LYRMAK_BUNDLED_DATA_DIR));
    FakeClock clock;
    FakeRandom random;
    FakeWindow win;
    MecabReadingSource mecab;
    LyricEngine engine(files, clock, random, win);
    engine.setReadingSource(&mecab, LyricEngine::ReadingNeed::Always);
    engine.Form_Load();
    QVERIFY(win.boxes.isEmpty());
    QCOMPARE(engine.readingFailure(), QString());
    const LyricData &d = engine.data();
    qsizetype read = 0;
    for (const WordList &list : d.WordLists) {
        QCOMPARE(list.Readings.size(), list.Words.size());
        for (qsizetype i = 0; i < list.Words.size(); ++i) {
            QVERIFY2(fixedMorae(list.Readings[i], d.Refrains) > 0, qPrintable(list.Words[i]));
            ++read;
        }
    }
    QVERIFY(read > 1000);
    for (qsizetype f = 0; f < d.Frames.size(); ++f) {
        const QList<QStringView> lines = ReadingMaker::frameLines(d.Frames[f]);
        QCOMPARE(d.FrameReadings[f].size(), lines.size());
        for (qsizetype i = 0; i < lines.size(); ++i)
            QVERIFY2(fixedMorae(d.FrameReadings[f][i], d.Refrains) >= 0,
                     qPrintable(lines[i].toString()));
    }
    // The reading given in the list, and one MeCab gives.
    const QStringList &nouns = d.WordLists[4].Words;
    QCOMPARE(d.WordLists[4].Readings[nouns.indexOf(QStringLiteral("隕石"))], "インセキ");
    QCOMPARE(d.WordLists[4].Readings[nouns.indexOf(QStringLiteral("ペンギン"))], "ペンギン");
}

// A long list is read by two threads at once: each text still reads as it
// does alone, in its place.
void tst_Readings::longListReadsAsAlone()
{
    const QStringList words = {"旅行", "君は", "東京タワー", "切手", "三つ",      "夜の街",
                               "花火", "心",   "愛してる",   "雨",   "「空」　海"};
    QStringList texts;
    for (qsizetype i = 0; i <= MecabReadingSource::kTwoThreadsFrom; ++i)
        texts << words[i % words.size()] + words[i * 7 % words.size()].repeated(1 + i % 5);
    MecabReadingSource mecab;
    const QStringList all = mecab.read(texts);
    QCOMPARE(all.size(), texts.size());
    for (qsizetype i = 0; i < texts.size(); ++i)
        QCOMPARE(all[i], mecab.read({texts[i]}).value(0));
}

QTEST_GUILESS_MAIN(tst_Readings)
#include "tst_readings.moc"
