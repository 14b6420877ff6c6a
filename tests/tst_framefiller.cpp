#include "FakeRandom.h"
#include "FrameFiller.h"
#include "LiteralFiller.h"
#include "SongState.h"

#include <QRandomGenerator>
#include <QTest>

namespace
{

using Lists = std::array<WordList, 5>;

Lists lists(const QStringList &gi, const QStringList &ad, const QStringList &vi,
            const QStringList &vt, const QStringList &no)
{
    Lists l;
    const char *tags[5] = {"Gi", "Ad", "Vi", "Vt", "No"};
    const QStringList words[5] = {gi, ad, vi, vt, no};
    for (int i = 0; i < 5; ++i) {
        l[i].Tag = QString::fromLatin1(tags[i]);
        l[i].FileName = l[i].Tag + QStringLiteral(".dat");
        l[i].Words = words[i];
    }
    return l;
}

// Most cases need words only for Gi and No; the other lists hold a plain "x".
Lists giNo(const QStringList &gi, const QStringList &no = {"x"})
{
    return lists(gi, {"x"}, {"x"}, {"x"}, no);
}

// Random text over an alphabet rich in tag letters, so that tags form at
// every kind of seam.
QString randomText(QRandomGenerator &g, int maxLen, bool digits = false)
{
    // Digits only where held tags are tested, so the older rounds stay as they were.
    const QString alphabet = QStringLiteral("GiAdVtNoGiVo あ\r\n") + (digits ? "1120" : "");
    QString s;
    const int n = int(g.bounded(maxLen + 1));
    for (int i = 0; i < n; ++i)
        s += alphabet[int(g.bounded(alphabet.size()))];
    return s;
}

constexpr auto kClassic = FrameFiller::Rules::Classic;
constexpr auto kRefrains = FrameFiller::Rules::Refrains;

} // namespace

Q_DECLARE_METATYPE(Lists)
Q_DECLARE_METATYPE(FrameFiller::Rules)

class tst_FrameFiller : public QObject
{
    Q_OBJECT
private slots:
    void cases_data();
    void cases();
    void sameAsLiteral_data();
    void sameAsLiteral();
    void song_data();
    void song();
    void plannable_data();
    void plannable();
    void canBringBack_data();
    void canBringBack();
    void runawayIsBounded_data();
    void runawayIsBounded();
    void longFramesFillEveryTag_data();
    void longFramesFillEveryTag();
    void pickIndex_data();
    void pickIndex();
};

void tst_FrameFiller::cases_data()
{
    QTest::addColumn<QString>("frame");
    QTest::addColumn<Lists>("lists");
    QTest::addColumn<QList<double>>("draws");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<FrameFiller::Rules>("rules");

    const Lists one = lists({"ぎ"}, {"あど"}, {"ゔぃ"}, {"ぶて"}, {"の"});
    QTest::newRow("no tag: unchanged, no draw") << "\r\nらら\r\n"
                                                << one << QList<double>{} << "\r\nらら\r\n"
                                                << kClassic;
    QTest::newRow("every tag once")
        << "\r\nGiAdViVtNo\r\n"
        << one << QList<double>{0, 0, 0, 0, 0} << "\r\nぎあどゔぃぶての\r\n"
        << kClassic;
    QTest::newRow("two draws, left first")
        << "Gi-Gi" << giNo({"a", "b", "c"}) << QList<double>{0.9, 0.1} << "c-a" << kClassic;
    QTest::newRow("lower case and full-width are text")
        << "gi ｇｉ GI Ｇｉ" << one << QList<double>{} << "gi ｇｉ GI Ｇｉ" << kClassic;
    QTest::newRow("later tag in a word is filled")
        << "Gi" << lists({"aVtb"}, {"x"}, {"x"}, {"T"}, {"x"}) << QList<double>{0, 0} << "aTb"
        << kClassic;
    QTest::newRow("earlier tag in a word stays")
        << "No" << giNo({"G"}, {"aGib"}) << QList<double>{0} << "aGib" << kClassic;
    QTest::newRow("own tag in a word is filled again")
        << "Gi" << giNo({"<Gi>", "."}) << QList<double>{0, 0, 0.5} << "<<.>>" << kClassic;
    QTest::newRow("tag formed at the left seam")
        << "GGi" << giNo({"", "i"}) << QList<double>{0.5, 0} << "" << kClassic;
    QTest::newRow("tag formed at the right seam")
        << "Gii" << giNo({"G", "x"}) << QList<double>{0, 0.5} << "x" << kClassic;
    QTest::newRow("earlier tag formed at a seam stays")
        << "GNo" << giNo({"x"}, {"i"}) << QList<double>{0} << "Gi" << kClassic;
    QTest::newRow("empty word joins neighbours")
        << "aNob" << giNo({"x"}, {""}) << QList<double>{0} << "ab" << kClassic;
    QTest::newRow("Nobody") << "Nobody" << one << QList<double>{0} << "のbody" << kClassic;
    QTest::newRow("empty list leaves its tags")
        << "GiNo" << giNo({}, {"n"}) << QList<double>{0} << "Gin" << kClassic;
    QTest::newRow("a digit after a tag is text")
        << "Gi1Gi1" << giNo({"a", "b"}) << QList<double>{0.9, 0.9} << "b1b1" << kClassic;
    // In a frame file that asks for refrains.
    const Lists abc = giNo({"a", "b", "c"}, {"n", "m"});
    QTest::newRow("held tag repeats without a draw; plain tag avoids it")
        << "Gi1-Gi1-Gi" << abc << QList<double>{0.5, 0} << "b-b-a" << kRefrains;
    QTest::newRow("digits and categories are independent")
        << "Gi1Gi2No1Gi1No1" << abc << QList<double>{0, 0, 0.9} << "abmam" << kRefrains;
    QTest::newRow("no repeats until the list is used up")
        << "GiGiGiGi" << abc << QList<double>{0, 0, 0, 0.9} << "abcc" << kRefrains;
    QTest::newRow("once used up, any word of the list")
        << "GiGiGiGi" << giNo({"a", "b"}) << QList<double>{0, 0, 0, 0} << "abaa" << kRefrains;
    QTest::newRow("0 and a second digit are text")
        << "Gi0 Gi12" << abc << QList<double>{0, 0} << "a0 b2" << kRefrains;
    QTest::newRow("held tag inside a chained word")
        << "Gi No1" << giNo({"No1みたいに"}, {"月", "星"}) << QList<double>{0, 0.6}
        << "星みたいに 星" << kRefrains;
    QTest::newRow("held tag formed at a seam") << "NGi NGi" << giNo({"o1"}, {"月", "星"})
                                               << QList<double>{0, 0, 0.6} << "星 星" << kRefrains;
    QTest::newRow("empty held word joins neighbours")
        << "NGi1o Gi1" << giNo({"", "x"}, {"月"}) << QList<double>{0, 0} << "月 " << kRefrains;
    QTest::newRow("inert lists, planned")
        << "Gi1とGiとGi1" << giNo({"きら", "ぽん"}, {"月"}) << QList<double>{0.6, 0}
        << "ぽんときらとぽん" << kRefrains;
    QTest::newRow("earlier category's held tag in a word stays")
        << "No" << giNo({"x"}, {"Gi1"}) << QList<double>{0} << "Gi1" << kRefrains;
    QTest::newRow("held word's tags are filled once for every copy")
        << "Gi1と　Gi1" << giNo({"Noの香り"}, {"餃子", "ゼンマイ"}) << QList<double>{0, 0.9}
        << "ゼンマイの香りと　ゼンマイの香り" << kRefrains;
    QTest::newRow("a tag at a copy's seam is not part of it")
        << "Gi1o Gi1o" << giNo({"xN"}, {"月", "星"}) << QList<double>{0, 0, 0} << "x月 x星"
        << kRefrains;
    QTest::newRow("held word holding its own held tag keeps it")
        << "Gi1" << giNo({"aGi1b"}) << QList<double>{0} << "aGi1b" << kRefrains;
    const QString longWord(70000, u'ら'); // more than a planned word's entry can say
    QTest::newRow("very long word, whole")
        << "Gi1とGi1" << giNo({longWord}, {"月"}) << QList<double>{0} << longWord + u'と' + longWord
        << kRefrains;
}

void tst_FrameFiller::cases()
{
    QFETCH(QString, frame);
    QFETCH(Lists, lists);
    QFETCH(QList<double>, draws);
    QFETCH(QString, expected);
    QFETCH(FrameFiller::Rules, rules);
    FakeRandom r, r2;
    r.script = r2.script = draws;
    QCOMPARE(FrameFiller::fill(frame, lists, r, rules), expected);
    QCOMPARE(r.draws, draws.size());
    // The oracle agrees on every hand-made case too.
    QCOMPARE(literalFill(frame, lists, r2, rules == kRefrains), expected);
}

// Thousands of random frames: the same text and the same draws, draw for
// draw, as the literal algorithm; with lists of every kind, and with lists
// that can be planned filled from one scan of the frame. With refrains each
// frame is a song of three fillings, as New lyrics and two Append lyrics.
void tst_FrameFiller::sameAsLiteral_data()
{
    QTest::addColumn<Lists>("fixed"); // none: random words every round
    QTest::addColumn<FrameFiller::Rules>("rules");
    const Lists inert = lists({"きら", "ぽん"}, {"青い", "赤い"}, {"走って"}, {"抱いて", "食べて"},
                              {"月", "星", "ｶﾚｰ"});
    const Lists chained = lists({"きら", "Noみたいにぽん", "Ad1Noふわ"}, {"青い", "Vt1そうな"},
                                {"走って"}, {"抱いて", "No2を食べて"}, {"月", "星", "ｶﾚｰ"});
    QTest::newRow("lists that make tags") << Lists{} << kClassic;
    QTest::newRow("inert lists") << inert << kClassic;
    QTest::newRow("chained lists") << chained << kClassic;
    QTest::newRow("refrains, lists that make tags") << Lists{} << kRefrains;
    QTest::newRow("refrains, inert lists") << inert << kRefrains;
    QTest::newRow("refrains, chained lists") << chained << kRefrains;
}

void tst_FrameFiller::sameAsLiteral()
{
    QFETCH(Lists, fixed);
    QFETCH(FrameFiller::Rules, rules);
    const bool refrains = rules == kRefrains;
    const bool planned = !fixed[0].Tag.isEmpty();
    QRandomGenerator g(20261206);
    const char *tags[5] = {"Gi", "Ad", "Vi", "Vt", "No"};
    Lists l = planned ? fixed : lists({}, {}, {}, {}, {});
    for (int round = 0; round < 2000; ++round) {
        if (!planned) {
            for (int i = 0; i < 5; ++i) {
                l[i].Words.clear();
                for (int w = 0, n = 1 + int(g.bounded(4)); w < n; ++w)
                    l[i].Words << randomText(g, 4, refrains).remove(QString::fromLatin1(tags[i]));
            }
        }
        const QString frame = randomText(g, 40, refrains);
        FakeRandom a(round), b(round);
        const FrameFiller filler(l, rules);
        QCOMPARE(filler.isPlanned(), planned);
        SongState song;
        LiteralSong literalSong;
        for (int filling = 0; filling < (refrains ? 3 : 1); ++filling) {
            const QString fast = filler.fill(frame, a, song);
            const QString slow = literalFill(frame, l, b, refrains, &literalSong);
            if (fast != slow || a.draws != b.draws)
                QFAIL(qPrintable(QStringLiteral("round %1, filling %2: frame %3")
                                     .arg(round)
                                     .arg(filling)
                                     .arg(frame)));
        }
    }
}

// A song over several fillings, as New lyrics and Append lyrics make it.
void tst_FrameFiller::song_data()
{
    QTest::addColumn<QString>("frame");
    QTest::addColumn<Lists>("lists");
    QTest::addColumn<QList<double>>("draws");
    QTest::addColumn<QStringList>("fillings");
    const Lists chained = giNo({"Noの香り", "Noに夢中"}, {"餃子", "ゼンマイ", "月"});
    QTest::newRow("held chained word comes back whole")
        << "Gi1/No" << chained << QList<double>{0, 0.5, 0, 0}
        << QStringList{"ゼンマイの香り/餃子", "ゼンマイの香り/月"};
    QTest::newRow("no repeats across fillings, then any word")
        << "No" << giNo({"x"}, {"a", "b", "c"}) << QList<double>{0.5, 0.5, 0, 0.5}
        << QStringList{"b", "c", "a", "b"};
    QTest::newRow("a word written twice is two lines")
        << "No No" << giNo({"x"}, {"a", "a"}) << QList<double>{0, 0} << QStringList{"a a"};
}

void tst_FrameFiller::song()
{
    QFETCH(QString, frame);
    QFETCH(Lists, lists);
    QFETCH(QList<double>, draws);
    QFETCH(QStringList, fillings);
    FakeRandom r, r2;
    r.script = r2.script = draws;
    SongState song;
    LiteralSong literalSong;
    for (const QString &expected : fillings) {
        QCOMPARE(FrameFiller::fill(frame, lists, r, kRefrains, &song), expected);
        QCOMPARE(literalFill(frame, lists, r2, true, &literalSong), expected);
    }
    QCOMPARE(r.draws, draws.size());
}

void tst_FrameFiller::plannable_data()
{
    QTest::addColumn<QStringList>("words"); // of Vi
    QTest::addColumn<bool>("plannable");
    QTest::addColumn<bool>("withRefrains");
    QTest::newRow("japanese words") << QStringList{"きらきら", "冷蔵庫", "ｷﾗｷﾗ"} << true << true;
    QTest::newRow("latin inside") << QStringList{"aGxb"} << true << true;
    QTest::newRow("empty word joins neighbours") << QStringList{"あ", ""} << false << false;
    QTest::newRow("holds a later tag") << QStringList{"Noみたい", "aNo1b"} << true << true;
    QTest::newRow("ends with a later tag: a digit may follow")
        << QStringList{"あのNo"} << true << false;
    QTest::newRow("holds an earlier tag: text") << QStringList{"あGi1"} << true << true;
    QTest::newRow("holds its own tag") << QStringList{"あVi"} << false << false;
    QTest::newRow("begins with a second letter") << QStringList{"its"} << false << false;
    QTest::newRow("ends with a first letter") << QStringList{"AV"} << false << false;
    QTest::newRow("begins with a digit: may make a held tag")
        << QStringList{"1つ", "あと2つ"} << true << false;
}

void tst_FrameFiller::plannable()
{
    QFETCH(QStringList, words);
    QFETCH(bool, plannable);
    QFETCH(bool, withRefrains);
    const Lists l = lists({"x"}, {"y"}, words, {"z"}, {"w"});
    QCOMPARE(FrameFiller::plannable(l), plannable);
    QCOMPARE(FrameFiller::plannable(l, kRefrains), withRefrains);
}

// Which turns are bounded: the engine's test and the oracle's spelled-out
// one agree.
void tst_FrameFiller::canBringBack_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<FrameFiller::Rules>("rules");
    QTest::addColumn<bool>("bounded");
    QTest::newRow("word holds the tag") << "No" << QStringList{"aNob", "x"} << kClassic << true;
    QTest::newRow("second letter first, no N before a tag")
        << "aNo NoNo" << QStringList{"o"} << kClassic << false;
    QTest::newRow("second letter first, N before a tag")
        << "NNo" << QStringList{"o"} << kClassic << true;
    QTest::newRow("second letter first, a word ends with N")
        << "No" << QStringList{"o", "xN"} << kClassic << true;
    QTest::newRow("ends with N, o after a tag") << "Noo" << QStringList{"xN"} << kClassic << true;
    QTest::newRow("ends with N, nothing after")
        << "No No" << QStringList{"xN"} << kClassic << false;
    QTest::newRow("empty word between N and o") << "NNoo" << QStringList{""} << kClassic << true;
    QTest::newRow("empty word, N and o apart")
        << "NNox Noo" << QStringList{"", "a"} << kClassic << true;
    QTest::newRow("empty word in plain text")
        << "aNob NoNo" << QStringList{"", "a"} << kClassic << false;
    QTest::newRow("held digit: o after it") << "No1o" << QStringList{"xN"} << kRefrains << true;
    QTest::newRow("without refrains the digit stands between")
        << "No1o" << QStringList{"xN"} << kClassic << false;
}

void tst_FrameFiller::canBringBack()
{
    QFETCH(QString, text);
    QFETCH(QStringList, words);
    QFETCH(FrameFiller::Rules, rules);
    QFETCH(bool, bounded);
    const Lists l = giNo({"x"}, words);
    QCOMPARE(FrameFiller::canBringBack(text, l[4], FrameFiller::traits(l[4]), rules), bounded);
    QCOMPARE(literalCanBringBack(text, l[4], rules == kRefrains), bounded);
}

void tst_FrameFiller::runawayIsBounded_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QList<double>>("script");
    QTest::addColumn<int>("draws");
    QTest::addColumn<bool>("laterFilled");
    // The bound counts beyond the one tag the turn began with.
    QTest::newRow("word holds its own tag") << QStringList{"aGib"} << QList<double>{}
                                            << int(FrameFiller::kMaxReplacements + 1) << false;
    QTest::newRow("word doubles the tag") << QStringList{"GiGi"} << QList<double>{}
                                          << int(FrameFiller::kMaxReplacements + 1) << false;
    QTest::newRow("long word grows fast") << QStringList{QString(50, QLatin1Char('x')) + "GiGi"}
                                          << QList<double>{} << 0 << false; // stops on length
    // Four words of 300,000 and then the one of 400,000 that ends the turn
    // pass the bound of 1,000,000 + 400,000 with the last replacement.
    const QStringList big{"Gi" + QString(300000, QLatin1Char('y')),
                          QString(400000, QLatin1Char('z'))};
    QTest::newRow("bound passed by the turn's last replacement")
        << big << QList<double>{0, 0, 0, 0, 0.9, 0} << 6 << true;
    QTest::newRow("bound passed with a tag left")
        << big << QList<double>{0, 0, 0, 0, 0} << 5 << false;
}

void tst_FrameFiller::runawayIsBounded()
{
    QFETCH(QStringList, words);
    QFETCH(QList<double>, script);
    QFETCH(int, draws);
    QFETCH(bool, laterFilled);
    FakeRandom r, r2;
    r.script = r2.script = script;
    const Lists l = giNo(words, {"n"});
    const QString out = FrameFiller::fill(QStringLiteral("[Gi]No"), l, r);
    QVERIFY(out.startsWith(QLatin1Char('[')));
    QVERIFY(out.endsWith(laterFilled ? QStringLiteral("]n") : QStringLiteral("]No")));
    QVERIFY(out.size() <= FrameFiller::kMaxGrowth + 2 * words.constLast().size() + 120);
    if (draws)
        QCOMPARE(r.draws, draws);
    else
        QVERIFY(out.size() > FrameFiller::kMaxGrowth);
    if (!script.isEmpty())
        QCOMPARE(literalFill(QStringLiteral("[Gi]No"), l, r2), out);
}

// Fillings that end by themselves are never cut short, however long the
// frame: the engine at full size, the oracle on a smaller one.
void tst_FrameFiller::longFramesFillEveryTag_data()
{
    QTest::addColumn<QString>("unit");
    QTest::addColumn<int>("tags");
    QTest::addColumn<Lists>("lists");
    QTest::addColumn<FrameFiller::Rules>("rules");
    const Lists empty = lists({"きら", ""}, {"青い"}, {"走る"}, {"抱く"}, {"月"});
    QTest::newRow("150,000 tags, an empty word") << "Giの歌" << 150000 << empty << kClassic;
    QTest::newRow("150,000 tags, an empty word, refrains")
        << "Gi1の歌Gi" << 75000 << empty << kRefrains;
    QTest::newRow("20,000 tags, long words and one that holds its tag")
        << "Gi" << 20000 << giNo({QString(60, QLatin1Char('x')), "aGib"}) << kClassic;
    QTest::newRow("1,000,000 tags, a word beginning with i")
        << "Gi" << 1000000 << giNo({"iPod"}) << kClassic;
    // Long lists: the no-repeat draws keep many used words; an empty word
    // makes a list no longer inert, so it is filled without a plan.
    QString held; // a held digit on every third Gi
    for (int i = 0; i < 9; ++i)
        held += QStringLiteral("Gi%1No、").arg(i % 3 ? QString() : QString::number(1 + i));
    QStringList words;
    for (int i = 0; i < 700; ++i)
        words << QStringLiteral("語%1").arg(i);
    const Lists many = lists(words, {"あ"}, {"い"}, {"う"}, words);
    words << QString();
    const Lists manyEmpty = lists(words, {"あ"}, {"い"}, {"う"}, words);
    QTest::newRow("700 words and an empty one") << held << 2000 << manyEmpty << kClassic;
    QTest::newRow("700 words, refrains, planned") << held << 2000 << many << kRefrains;
    QTest::newRow("700 words and an empty one, refrains") << held << 2000 << manyEmpty << kRefrains;
}

void tst_FrameFiller::longFramesFillEveryTag()
{
    QFETCH(QString, unit);
    QFETCH(int, tags);
    QFETCH(Lists, lists);
    QFETCH(FrameFiller::Rules, rules);
    const int perUnit = int(unit.count(QStringLiteral("Gi")));
    FakeRandom r;
    const QString out = FrameFiller::fill(unit.repeated(tags / perUnit), lists, r, rules);
    QVERIFY(!out.contains(QStringLiteral("Gi")));
    QVERIFY(r.draws >= tags / perUnit); // held repeats make no draw

    const QString small = unit.repeated(2000 / perUnit);
    FakeRandom a(3), b(3);
    QCOMPARE(FrameFiller::fill(small, lists, a, rules),
             literalFill(small, lists, b, rules == kRefrains));
    QCOMPARE(a.draws, b.draws);
}

void tst_FrameFiller::pickIndex_data()
{
    QTest::addColumn<double>("r");
    QTest::addColumn<qlonglong>("n");
    QTest::addColumn<qlonglong>("index");
    QTest::newRow("zero") << 0.0 << 5LL << 0LL;
    QTest::newRow("just below a step") << 0.3999 << 5LL << 1LL;
    QTest::newRow("on a step") << 0.4 << 5LL << 2LL;
    QTest::newRow("largest draw") << (1.0 - 0x1.0p-53) << 40000LL << 39999LL;
    QTest::newRow("draw that rounds up to 1") << 1.0 << 7LL << 6LL;
    QTest::newRow("beyond 16 bits") << 0.99999 << 100000LL << 99999LL;
}

void tst_FrameFiller::pickIndex()
{
    QFETCH(double, r);
    QFETCH(qlonglong, n);
    QFETCH(qlonglong, index);
    QCOMPARE(qlonglong(FrameFiller::pickIndex(r, n)), index);
}

QTEST_APPLESS_MAIN(tst_FrameFiller)
#include "tst_framefiller.moc"
