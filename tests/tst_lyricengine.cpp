#include "FakeClock.h"
#include "FakeFileSystem.h"
#include "FakeRandom.h"
#include "FakeWindow.h"
#include "LyricEngine.h"

#include <QStringEncoder>
#include <QTest>

namespace
{

QByteArray sjis(const QString &s)
{
    QStringEncoder e("CP932");
    return e.encode(s);
}

struct Program {
    FakeFileSystem fs;
    FakeClock clock;
    FakeRandom random;
    FakeWindow win;
    LyricEngine engine{fs, clock, random, win};

    explicit Program(const QString &folder = QStringLiteral("/prog"), int frames = 3)
    {
        fs.folder = folder;
        const QString p = engine.MyPath();
        fs.files[p + "LYRMAK.HLP"] = "<html></html>";
        const char *names[5] = {"Gi", "Ad", "Vi", "Vt", "No"};
        for (const char *n : names)
            fs.files[p + n + ".dat"] = sjis(QString::fromLatin1(n).toLower() + "\r\n");
        QByteArray kasi;
        for (int i = 0; i < frames; ++i)
            kasi += sjis(QStringLiteral("第%1 Gi No\r\n@\r\n").arg(i));
        fs.files[p + "Kasi.dat"] = kasi;
    }
};

} // namespace

class tst_LyricEngine : public QObject
{
    Q_OBJECT
private slots:
    void myPath_data();
    void myPath();
    void startUpOrder();
    void missingHelpFileStillLoads_data();
    void missingHelpFileStillLoads();
    void wordCancelStillReadsFrames();
    void everyFrameCanBeDrawn();
    void newAndAppend();
    void refrainLine_data();
    void refrainLine();
};

void tst_LyricEngine::myPath_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("path");
    QTest::newRow("ordinary folder") << "/opt/lyrmak"
                                     << "/opt/lyrmak/";
    QTest::newRow("root") << "/"
                          << "/";
    QTest::newRow("japanese name") << "/home/花子/歌"
                                   << "/home/花子/歌/";
}

void tst_LyricEngine::myPath()
{
    QFETCH(QString, folder);
    QFETCH(QString, path);
    Program p(folder);
    QCOMPARE(p.engine.MyPath(), path);
}

void tst_LyricEngine::startUpOrder()
{
    Program p;
    p.random.script = {0.5};
    p.engine.Form_Load();
    QCOMPARE(p.random.seeds, QList<double>{45296.25});
    QStringList opened;
    for (const QString &l : p.fs.log)
        if (l.startsWith(QStringLiteral("open ")))
            opened << l.mid(11);
    QCOMPARE(opened, (QStringList{"Gi.dat", "Ad.dat", "Vi.dat", "Vt.dat", "No.dat", "Kasi.dat"}));
    QVERIFY(p.win.boxes.isEmpty());
    QVERIFY(!p.engine.unloaded());
    QCOMPARE(p.engine.CurFrame(), 1); // floor(0.5 * 3)
    QCOMPARE(p.random.draws, 1);
}

void tst_LyricEngine::missingHelpFileStillLoads_data()
{
    QTest::addColumn<bool>("asFolder");
    QTest::newRow("missing") << false;
    QTest::newRow("a folder of that name") << true;
}

void tst_LyricEngine::missingHelpFileStillLoads()
{
    QFETCH(bool, asFolder);
    Program p;
    p.fs.files.remove(QStringLiteral("/prog/LYRMAK.HLP"));
    if (asFolder)
        p.fs.folders.insert(QStringLiteral("/prog/LYRMAK.HLP"));
    p.fs.files.remove(QStringLiteral("/prog/No.dat"));
    p.engine.Form_Load();
    QVERIFY(p.engine.unloaded());
    QCOMPARE(p.win.boxes.size(), 2);
    QCOMPARE(p.win.boxes[0].prompt, QStringLiteral("ヘルプファイル LYRMAK.HLPが見当たりません。"));
    QCOMPARE(p.win.boxes[0].buttons, MsgButtons::Ok);
    QCOMPARE(p.win.boxes[0].icon, MsgIcon::None);
    QCOMPARE(p.win.boxes[0].title, QStringLiteral("ミルトナ"));
    // The load failure is still reported after the help file's message.
    QVERIFY(p.win.boxes[1].prompt.startsWith(QStringLiteral("単語ファイル/prog/No.dat")));
}

// Cancel in the word lists keeps what was read and leaves the rest unread,
// but start-up goes on to the frames, whose failure is reported too.
void tst_LyricEngine::wordCancelStillReadsFrames()
{
    Program p;
    p.fs.files.remove(QStringLiteral("/prog/Vi.dat"));
    p.fs.files.remove(QStringLiteral("/prog/Kasi.dat"));
    p.engine.Form_Load();
    QVERIFY(p.engine.unloaded());
    QCOMPARE(p.win.boxes.size(), 2);
    QVERIFY(p.win.boxes[0].prompt.startsWith(QStringLiteral("単語ファイル/prog/Vi.dat")));
    QVERIFY(p.win.boxes[1].prompt.startsWith(QStringLiteral("歌詞フレーム/prog/Kasi.dat")));
    const auto &lists = p.engine.data().WordLists;
    QCOMPARE(lists[1].Words, QStringList{"ad"});
    QVERIFY(lists[2].Words.isEmpty() && lists[4].Words.isEmpty());
    QVERIFY(!p.fs.log.contains(QStringLiteral("open /prog/Vt.dat")));
    QCOMPARE(p.random.draws, 0);
}

void tst_LyricEngine::everyFrameCanBeDrawn()
{
    Program p(QStringLiteral("/prog"), 40000);
    p.random.script = {1.0 - 0x1.0p-53};
    p.engine.Form_Load();
    QCOMPARE(p.engine.data().Frames.size(), 40000);
    QCOMPARE(p.engine.CurFrame(), 39999);
    QSet<qsizetype> seen;
    Program small;
    small.engine.Form_Load();
    for (int i = 0; i < 200; ++i) {
        small.engine.mnuNew_Click();
        seen.insert(small.engine.CurFrame());
    }
    QCOMPARE(seen, (QSet<qsizetype>{0, 1, 2}));
}

void tst_LyricEngine::newAndAppend()
{
    Program p(QStringLiteral("/prog"), 1);
    p.engine.Form_Load();
    p.win.m_text = QStringLiteral("自分の歌詞");
    p.win.selStart = 2;
    p.engine.mnuRepeat_Click(); // before any New: the start-up frame, after the edits
    QCOMPARE(p.win.m_text, QStringLiteral("自分の歌詞\r\n第0 gi no\r\n"));
    QCOMPARE(p.win.selStart, p.win.m_text.size());
    p.engine.mnuNew_Click();
    p.engine.mnuRepeat_Click();
    const QString one = QStringLiteral("\r\n第0 gi no\r\n");
    QCOMPARE(p.win.m_text, one + one);
    QCOMPARE(p.win.selStart, (one + one).size());
}

// The comment line switches the frame file to held tags and no repeats;
// a song holds its words across Append lyrics, until New lyrics.
void tst_LyricEngine::refrainLine_data()
{
    QTest::addColumn<QString>("kasi");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("refrains");
    const QString held = QStringLiteral("\r\n星と星\r\n\r\n星と星\r\n");
    const QString text = QStringLiteral("\r\n星1と月1\r\n\r\n月1と星1\r\n");
    QTest::newRow("the line first") << "'!くりかえし\r\nNo1とNo1\r\n@\r\n" << held << true;
    QTest::newRow("the line in a later frame") << "No1とNo1\r\n@\r\nGi\r\n'!くりかえし\r\n@\r\n"
                                               << held << true;
    QTest::newRow("no line: the digit is text") << "No1とNo1\r\n@\r\n" << text << false;
    QTest::newRow("a line with a space is only a comment") << "'!くりかえし \r\nNo1とNo1\r\n@\r\n"
                                                           << text << false;
}

void tst_LyricEngine::refrainLine()
{
    QFETCH(QString, kasi);
    QFETCH(QString, expected);
    QFETCH(bool, refrains);
    Program p;
    p.fs.files[QStringLiteral("/prog/Kasi.dat")] = sjis(kasi);
    p.fs.files[QStringLiteral("/prog/No.dat")] = sjis(QStringLiteral("月\r\n星\r\n"));
    p.random.script = {0, 0, 0.9, 0, 0, 0.9};
    p.engine.Form_Load();
    QCOMPARE(p.engine.data().Refrains, refrains);
    p.engine.mnuNew_Click();
    p.engine.mnuRepeat_Click();
    QCOMPARE(p.win.m_text, expected);
    QCOMPARE(p.random.script.size(), refrains ? 3 : 0); // held repeats draw nothing
    if (refrains) {
        p.engine.mnuNew_Click(); // a new song draws its held words anew
        QCOMPARE(p.win.m_text, QStringLiteral("\r\n月と月\r\n"));
    }
}

QTEST_APPLESS_MAIN(tst_LyricEngine)
#include "tst_lyricengine.moc"
