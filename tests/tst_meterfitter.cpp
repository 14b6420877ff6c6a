#include "FakeClock.h"
#include "FakeFileSystem.h"
#include "FakeRandom.h"
#include "FakeWindow.h"
#include "FrameFiller.h"
#include "LyricEngine.h"
#include "MeterFitter.h"
#include "Morae.h"

#include <QHash>
#include <QTest>

using Rules = FrameFiller::Rules;

namespace
{

// Kana words, so that every count can be read off the text.
LyricData kanaData()
{
    LyricData d = LyricData::withCategories();
    d.WordLists[0].Words = {"きらきら", "ふわり", "そっと", "どきどき"};
    d.WordLists[1].Words = {"あおい", "やさしい", "あかい", "Noのような"};
    d.WordLists[2].Words = {"ないて", "わらって", "とんで"};
    d.WordLists[3].Words = {"だいて", "みつめて"};
    d.WordLists[4].Words = {"ゆめ", "ほしぞら", "うみ", "きみ", "ひかり"};
    return d;
}

// A program folder with the kana lists and the frame file `kasi`.
FakeFileSystem kanaFolder(const QString &kasi)
{
    FakeFileSystem fs;
    fs.folder = "/p";
    fs.files["/p/LYRMAK.HLP"] = "x";
    const LyricData d = kanaData();
    for (int k = 0; k < 5; ++k)
        fs.files["/p/" + d.WordLists[k].FileName] = d.WordLists[k].Words.join("\r\n").toUtf8();
    fs.files["/p/Kasi.dat"] = kasi.toUtf8();
    return fs;
}

// Lines of a filled frame, the empty piece before the first break left out.
QStringList linesOf(const QString &filled)
{
    return filled.split(QStringLiteral("\r\n")).mid(1);
}

QString frameOf(const QStringList &lines)
{
    return QStringLiteral("\r\n") + lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

} // namespace

class tst_MeterFitter : public QObject
{
    Q_OBJECT
private slots:
    void fillsToTarget_data();
    void fillsToTarget();
    void sameFrameAgain();
    void songsKeptApart();
    void matchesRejection_data();
    void matchesRejection();
    void uncountedWordsStayOut();
    void engineWithoutTargets();
    void moraeOverride();
};

void tst_MeterFitter::fillsToTarget_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QList<int>>("targets");
    QTest::addColumn<QList<int>>("expected"); // what every filling has
    QTest::addColumn<bool>("refrains");
    QTest::newRow("reachable") << QStringList{"AdNoが", "Giと　Viいる", "VtNo"}
                               << QList<int>{8, 10, 5} << QList<int>{8, 10, 5} << false;
    QTest::newRow("only a chained word reaches")
        << QStringList{"Adの"} << QList<int>{9} << QList<int>{9} << false;
    QTest::newRow("lines without a target are free")
        << QStringList{"AdNoが", "NoNo"} << QList<int>{7, 0} << QList<int>{7, -1} << false;
    QTest::newRow("below the least: the least")
        << QStringList{"Giと　Viいる"} << QList<int>{7} << QList<int>{9} << false;
    QTest::newRow("above the most: the most")
        << QStringList{"Giと　Viいる"} << QList<int>{30} << QList<int>{11} << false;
    QTest::newRow("fixed text alone")
        << QStringList{"ああ"} << QList<int>{5} << QList<int>{2} << false;
    // Gi1 twice can make 6 or 8: at 7 both are as near, the shorter is taken.
    QTest::newRow("a tie: the shorter")
        << QStringList{"Gi1Gi1"} << QList<int>{7} << QList<int>{6} << true;
    // No1 must be a two-mora noun for the second line, and so the first
    // needs a four-mora Vt.
    QTest::newRow("held across lines") << QStringList{"No1を　Vtいる", "ああ　No1"}
                                       << QList<int>{9, 4} << QList<int>{9, 4} << true;
    // Ad1 must be a two-mora noun and のような, the other noun ほしぞら.
    QTest::newRow("held chained word")
        << QStringList{"Ad1Noが", "Ad1"} << QList<int>{11, 6} << QList<int>{11, 6} << true;
    QTest::newRow("no repeats: five nouns")
        << QStringList{"NoNoNoNoNo"} << QList<int>{13} << QList<int>{13} << true;
    // Six nouns of no repeats would make 15 at least.
    QTest::newRow("no repeats yield to the target")
        << QStringList{"NoNoNoNoNoNo"} << QList<int>{12} << QList<int>{12} << true;
}

void tst_MeterFitter::fillsToTarget()
{
    QFETCH(QStringList, lines);
    QFETCH(QList<int>, targets);
    QFETCH(QList<int>, expected);
    QFETCH(bool, refrains);
    const LyricData d = kanaData();
    const MeterFitter fitter(d.WordLists, refrains ? Rules::Refrains : Rules::Classic);
    QVERIFY(fitter.isUsable());
    for (int seed = 0; seed < 300; ++seed) {
        FakeRandom random(seed);
        SongState song;
        const QStringList out = linesOf(fitter.fill(frameOf(lines), {}, targets, song, random));
        QCOMPARE(out.size(), lines.size() + 1);
        for (qsizetype i = 0; i < lines.size(); ++i)
            if (expected[i] >= 0)
                QVERIFY2(Morae::count(out[i]) == expected[i], qPrintable(out[i]));
    }
}

// One fitter fills one frame again and again: what it worked out for one
// set of targets, or before the held word was settled, must not carry over.
void tst_MeterFitter::sameFrameAgain()
{
    const LyricData d = kanaData();
    const MeterFitter fitter(d.WordLists, Rules::Refrains);
    const QString frame = frameOf({"No1を　Vtいる", "ああ　No1"});
    const QList<QList<int>> targetSets{{9, 4}, {10, 5}, {8, 4}};
    for (int seed = 0; seed < 100; ++seed) {
        FakeRandom random(seed);
        for (const QList<int> &targets : targetSets) {
            SongState song;
            for (int again = 0; again < 2; ++again) { // the second time No1 is settled
                const QStringList out = linesOf(fitter.fill(frame, {}, targets, song, random));
                QCOMPARE(Morae::count(out[0]), targets[0]);
                QCOMPARE(Morae::count(out[1]), targets[1]);
            }
        }
    }
}

// One fitter fills songs by turns, and a song that another filler added
// to: each song avoids its own used words, and only those.
void tst_MeterFitter::songsKeptApart()
{
    const LyricData d = kanaData();
    const MeterFitter fitter(d.WordLists, Rules::Refrains);
    const QString frame = frameOf({"No"});
    const QList<int> two{2}; // ゆめ, うみ, きみ
    for (int seed = 0; seed < 50; ++seed) {
        FakeRandom random(seed);
        SongState a, b, c;
        QStringList inA, inB;
        for (int turn = 0; turn < 3; ++turn) {
            inA << linesOf(fitter.fill(frame, {}, two, a, random))[0];
            if (turn < 2)
                inB << linesOf(fitter.fill(frame, {}, two, b, random))[0];
        }
        QCOMPARE(QSet<QString>(inA.begin(), inA.end()).size(), 3);
        QCOMPARE(QSet<QString>(inB.begin(), inB.end()).size(), 2);
        c.markUsed(4, d.WordLists[4].Words.indexOf("ゆめ"), 5);
        c.markUsed(4, d.WordLists[4].Words.indexOf("きみ"), 5);
        QCOMPARE(linesOf(fitter.fill(frame, {}, two, c, random))[0], QStringLiteral("うみ"));
    }
}

// The fitted fillings against the reference: the plain filling, repeated
// until the line fits. Its frequencies are estimated from many plain
// fillings, the fitter's are compared to them by chi-square.
void tst_MeterFitter::matchesRejection_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("target");
    QTest::newRow("adjective and noun") << "AdNoが" << 7;
    QTest::newRow("chained words") << "AdNoが" << 9;
    QTest::newRow("chained and plain") << "AdNo、Gi" << 12;
}

void tst_MeterFitter::matchesRejection()
{
    QFETCH(QString, line);
    QFETCH(int, target);
    const LyricData d = kanaData();
    const QString frame = frameOf({line});
    QHash<QString, double> reference;
    double fits = 0;
    FakeRandom plainRandom(7);
    const FrameFiller plain(d.WordLists, Rules::Classic);
    SongState none;
    for (int i = 0; i < 400000; ++i) {
        const QString out = linesOf(plain.fill(frame, plainRandom, none)).value(0);
        if (Morae::count(out) == target) {
            reference[out] += 1;
            fits += 1;
        }
    }
    QVERIFY(reference.size() >= 4);

    const MeterFitter fitter(d.WordLists, Rules::Classic);
    FakeRandom random(11);
    QHash<QString, double> seen;
    constexpr int kFillings = 4000;
    for (int i = 0; i < kFillings; ++i) {
        SongState song;
        const QString out = linesOf(fitter.fill(frame, {}, {target}, song, random)).value(0);
        QVERIFY2(reference.contains(out), qPrintable(out));
        seen[out] += 1;
    }
    double chi2 = 0;
    for (auto it = reference.cbegin(); it != reference.cend(); ++it) {
        const double expected = kFillings * it.value() / fits;
        chi2 += (seen.value(it.key()) - expected) * (seen.value(it.key()) - expected) / expected;
    }
    // The 0.001 quantile bound of chi-square, Wilson-Hilferty, df = cells - 1.
    const double df = reference.size() - 1;
    const double z = 3.09, h = 2.0 / (9.0 * df);
    const double bound = df * std::pow(1.0 - h + z * std::sqrt(h), 3);
    qInfo("chi-square %.2f over %d cells (0.001 bound %.2f)", chi2, int(reference.size()), bound);
    QVERIFY(chi2 < bound);
}

void tst_MeterFitter::uncountedWordsStayOut()
{
    LyricData d = kanaData();
    d.WordLists[4].Words << QStringLiteral("ABC") << QStringLiteral("夢");
    d.WordLists[4].Readings = {"ゆめ", "ほしぞら", "うみ", "きみ", "ひかり", QString(), QString()};
    const MeterFitter fitter(d.WordLists, Rules::Classic);
    QCOMPARE(fitter.wordMorae(4, 5), -1);
    // Target 1 cannot be met: the nearest takes a counted noun, never one
    // without a count.
    for (const int target : {2, 1}) {
        for (int seed = 0; seed < 200; ++seed) {
            FakeRandom random(seed);
            SongState song;
            const QString out =
                linesOf(fitter.fill(frameOf({"No"}), {}, {target}, song, random))[0];
            QCOMPARE(Morae::count(out), 2);
        }
    }
    // Without a target, every word can come.
    QSet<QString> plain;
    for (int seed = 0; seed < 200; ++seed) {
        FakeRandom random(seed);
        SongState song;
        plain << linesOf(fitter.fill(frameOf({"No"}), {}, {0}, song, random))[0];
    }
    QVERIFY(plain.contains("ABC"));
}

void tst_MeterFitter::engineWithoutTargets()
{
    // A frame file without targets fills exactly as before: same text, same draws.
    FakeFileSystem fs = kanaFolder(QStringLiteral("AdNoが\r\nGiと　Viいる\r\n@\r\n"));
    FakeClock clock;
    FakeRandom a(3), b(3);
    FakeWindow win;
    LyricEngine engine(fs, clock, a, win);
    engine.Form_Load();
    b.next(); // the start-up frame draw
    const FrameFiller plain(engine.data().WordLists, Rules::Classic);
    SongState none;
    for (int i = 0; i < 50; ++i)
        QCOMPARE(engine.RndWord(0), plain.fill(engine.data().Frames[0], b, none));
    QCOMPARE(a.draws, b.draws);
}

void tst_MeterFitter::moraeOverride()
{
    FakeFileSystem fs = kanaFolder(
        QStringLiteral("No\r\n@\r\nAdNoが\r\n\r\nGiと　Viいる\r\n@\r\n'!拍 5\r\nNoNo\r\n@\r\n"));
    FakeClock clock;
    FakeRandom random(5);
    FakeWindow win;
    LyricEngine engine(fs, clock, random, win);
    engine.Form_Load();
    // The file's own targets, until --morae puts others in their place.
    for (int i = 0; i < 20; ++i)
        QCOMPARE(Morae::count(linesOf(engine.RndWord(2))[0]), 5);
    QVERIFY(!engine.setMorae({8, 9, 7}));
    QVERIFY(engine.setMorae({8, 11}));
    for (int i = 0; i < 30; ++i) {
        engine.mnuNew_Click();
        QCOMPARE(engine.CurFrame(), 1);
        const QStringList lines = linesOf(win.text());
        QCOMPARE(Morae::count(lines[0]), 8);
        QCOMPARE(lines[1], QString());
        QCOMPARE(Morae::count(lines[2]), 11);
    }
    QCOMPARE(LyricEngine::lineTargets(engine.data().Frames[1], {8, 11}), (QList<int>{8, 0, 11, 0}));
}

QTEST_GUILESS_MAIN(tst_MeterFitter)
#include "tst_meterfitter.moc"
