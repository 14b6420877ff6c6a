#include "FakeRandom.h"
#include "FrameFiller.h"
#include "LiteralFiller.h"

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

// Random text over an alphabet rich in tag letters, so that tags form at
// every kind of seam.
QString randomText(QRandomGenerator &g, int maxLen)
{
    static const QString alphabet = QStringLiteral("GiAdVtNoGiVo あ\r\n");
    QString s;
    const int n = int(g.bounded(maxLen + 1));
    for (int i = 0; i < n; ++i)
        s += alphabet[int(g.bounded(alphabet.size()))];
    return s;
}

} // namespace

Q_DECLARE_METATYPE(Lists)

class tst_FrameFiller : public QObject
{
    Q_OBJECT
private slots:
    void cases_data();
    void cases();
    void sameAsLiteral_data();
    void sameAsLiteral();
    void inert_data();
    void inert();
    void runawayIsBounded_data();
    void runawayIsBounded();
    void pickIndex_data();
    void pickIndex();
};

void tst_FrameFiller::cases_data()
{
    QTest::addColumn<QString>("frame");
    QTest::addColumn<Lists>("lists");
    QTest::addColumn<QList<double>>("draws");
    QTest::addColumn<QString>("expected");

    const Lists one = lists({"ぎ"}, {"あど"}, {"ゔぃ"}, {"ぶて"}, {"の"});
    QTest::newRow("no tag: unchanged, no draw") << "\r\nらら\r\n"
                                                << one << QList<double>{} << "\r\nらら\r\n";
    QTest::newRow("every tag once")
        << "\r\nGiAdViVtNo\r\n"
        << one << QList<double>{0, 0, 0, 0, 0} << "\r\nぎあどゔぃぶての\r\n";
    QTest::newRow("two draws, left first")
        << "Gi-Gi" << lists({"a", "b", "c"}, {"x"}, {"x"}, {"x"}, {"x"}) << QList<double>{0.9, 0.1}
        << "c-a";
    QTest::newRow("lower case and full-width are text")
        << "gi ｇｉ GI Ｇｉ" << one << QList<double>{} << "gi ｇｉ GI Ｇｉ";
    QTest::newRow("later tag in a word is filled")
        << "Gi" << lists({"aVtb"}, {"x"}, {"x"}, {"T"}, {"x"}) << QList<double>{0, 0} << "aTb";
    QTest::newRow("earlier tag in a word stays")
        << "No" << lists({"G"}, {"x"}, {"x"}, {"x"}, {"aGib"}) << QList<double>{0} << "aGib";
    QTest::newRow("own tag in a word is filled again")
        << "Gi" << lists({"<Gi>", "."}, {"x"}, {"x"}, {"x"}, {"x"}) << QList<double>{0, 0, 0.5}
        << "<<.>>";
    QTest::newRow("tag formed at the left seam")
        << "GGi" << lists({"", "i"}, {"x"}, {"x"}, {"x"}, {"x"}) << QList<double>{0.5, 0} << "";
    QTest::newRow("tag formed at the right seam")
        << "Gii" << lists({"G", "x"}, {"x"}, {"x"}, {"x"}, {"x"}) << QList<double>{0, 0.5} << "x";
    QTest::newRow("earlier tag formed at a seam stays")
        << "GNo" << lists({"x"}, {"x"}, {"x"}, {"x"}, {"i"}) << QList<double>{0} << "Gi";
    QTest::newRow("empty word joins neighbours")
        << "aNob" << lists({"x"}, {"x"}, {"x"}, {"x"}, {""}) << QList<double>{0} << "ab";
    QTest::newRow("Nobody") << "Nobody" << one << QList<double>{0} << "のbody";
    QTest::newRow("empty list leaves its tags")
        << "GiNo" << lists({}, {"x"}, {"x"}, {"x"}, {"n"}) << QList<double>{0} << "Gin";
}

void tst_FrameFiller::cases()
{
    QFETCH(QString, frame);
    QFETCH(Lists, lists);
    QFETCH(QList<double>, draws);
    QFETCH(QString, expected);
    FakeRandom r;
    r.script = draws;
    QCOMPARE(FrameFiller::fill(frame, lists, r), expected);
    QCOMPARE(r.draws, draws.size());
    // The oracle agrees on every hand-made case too.
    FakeRandom r2;
    r2.script = draws;
    QCOMPARE(literalFill(frame, lists, r2), expected);
}

// Thousands of random frames: the same text and the same draws, draw for
// draw, as the literal algorithm; with lists of every kind, and with inert
// lists filled from one scan of the frame.
void tst_FrameFiller::sameAsLiteral_data()
{
    QTest::addColumn<bool>("inertLists");
    QTest::newRow("lists that make tags") << false;
    QTest::newRow("inert lists") << true;
}

void tst_FrameFiller::sameAsLiteral()
{
    QFETCH(bool, inertLists);
    QRandomGenerator g(20261206);
    const char *tags[5] = {"Gi", "Ad", "Vi", "Vt", "No"};
    Lists l = lists({"きら", "ぽん"}, {"青い", "赤い"}, {"走って"}, {"抱いて", "食べて"},
                    {"月", "星", "ｶﾚｰ"});
    for (int round = 0; round < 2000; ++round) {
        if (!inertLists) {
            for (int i = 0; i < 5; ++i) {
                l[i].Words.clear();
                for (int w = 0, n = 1 + int(g.bounded(4)); w < n; ++w)
                    l[i].Words << randomText(g, 4).remove(QString::fromLatin1(tags[i]));
            }
        }
        const QString frame = randomText(g, 40);
        FakeRandom a(round), b(round);
        const QString fast = FrameFiller::fill(frame, l, a, inertLists);
        const QString slow = literalFill(frame, l, b);
        if (fast != slow || a.draws != b.draws)
            QFAIL(qPrintable(QStringLiteral("round %1: frame %2").arg(round).arg(frame)));
    }
}

void tst_FrameFiller::inert_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<bool>("inert");
    QTest::newRow("japanese words") << QStringList{"きらきら", "冷蔵庫", "ｷﾗｷﾗ"} << true;
    QTest::newRow("latin inside") << QStringList{"aGxb"} << true;
    QTest::newRow("empty word joins neighbours") << QStringList{"あ", ""} << false;
    QTest::newRow("holds a tag") << QStringList{"Nobody"} << false;
    QTest::newRow("begins with a second letter") << QStringList{"its"} << false;
    QTest::newRow("ends with a first letter") << QStringList{"AV"} << false;
}

void tst_FrameFiller::inert()
{
    QFETCH(QStringList, words);
    QFETCH(bool, inert);
    QCOMPARE(FrameFiller::inert(lists({"x"}, {"y"}, words, {"z"}, {"w"})), inert);
}

void tst_FrameFiller::runawayIsBounded_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<int>("draws");
    QTest::newRow("word holds its own tag")
        << QStringList{"aGib"} << int(FrameFiller::kMaxReplacements);
    QTest::newRow("word doubles the tag")
        << QStringList{"GiGi"} << int(FrameFiller::kMaxReplacements);
    QTest::newRow("long word grows fast")
        << QStringList{QString(50, QLatin1Char('x')) + "GiGi"} << 0; // stops on length
}

void tst_FrameFiller::runawayIsBounded()
{
    QFETCH(QStringList, words);
    QFETCH(int, draws);
    FakeRandom r;
    const QString out =
        FrameFiller::fill(QStringLiteral("[Gi]No"), lists(words, {"x"}, {"x"}, {"x"}, {"n"}), r);
    QVERIFY(out.startsWith(QLatin1Char('[')));
    QVERIFY(out.endsWith(QStringLiteral("]No"))); // later categories never ran
    QVERIFY(out.size() <= FrameFiller::kMaxLength + 60);
    if (draws)
        QCOMPARE(r.draws, draws);
    else
        QVERIFY(out.size() > FrameFiller::kMaxLength);
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
