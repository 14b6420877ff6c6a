#include "FakeClock.h"
#include "FakeWindow.h"
#include "FolderFileSystem.h"
#include "LyricEngine.h"
#include "SeededRandom.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

namespace
{

const QString kBundled = QStringLiteral(LYRMAK_BUNDLED_DATA_DIR);

struct Run {
    int status = -1;
    QByteArray out;
    QString err;
};

Run tool(const QStringList &args, const QString &stdoutFile = QString())
{
    QProcess p;
    if (!stdoutFile.isEmpty())
        p.setStandardOutputFile(stdoutFile);
    p.start(QStringLiteral(LYRMAK_APP_DIR "/lyrmak-tool"), args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return {};
    return {p.exitCode(), p.readAllStandardOutput(), QString::fromUtf8(p.readAllStandardError())};
}

// A data folder of one-word lists, so that every song is known in advance.
// Lines are joined with CR LF; files are CP932 unless `utf8`.
struct Folder {
    QTemporaryDir dir;
    Folder(const QString &frames, bool utf8 = false,
           const QStringList &words = {"ぎ", "あど", "び", "ぶて", "の"})
    {
        const char *names[] = {"Gi.dat", "Ad.dat", "Vi.dat", "Vt.dat", "No.dat"};
        for (int i = 0; i < 5; ++i)
            write(QString::fromLatin1(names[i]), words[i] + "\r\n", utf8);
        write(QStringLiteral("Kasi.dat"), frames, utf8);
        write(QStringLiteral("LYRMAK.HLP"), QStringLiteral("help"), false);
    }
    void write(const QString &name, const QString &text, bool utf8)
    {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::WriteOnly))
            f.write(utf8 ? text.toUtf8() : QStringEncoder("CP932").encode(text));
    }
    QString path() const { return dir.path(); }
};

} // namespace

class tst_ToolCli : public QObject
{
    Q_OBJECT
private slots:
    void writeKnownSongs_data();
    void writeKnownSongs();
    void writeIsTheProgramsText();
    void seeds();
    void badUsage_data();
    void badUsage();
    void writeFailures_data();
    void writeFailures();
    void checkReport();
    void helpAndVersion();
};

void tst_ToolCli::writeKnownSongs_data()
{
    QTest::addColumn<QString>("frames");
    QTest::addColumn<bool>("utf8");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("expected");

    const QString one = QStringLiteral("Gi と Noが\r\nAdVt\r\n@\r\n");
    QTest::newRow("one song") << one << false << QStringList{} << "\nぎ と のが\nあどぶて\n";
    QTest::newRow("appends follow New lyrics")
        << one << false << QStringList{"--append", "2"}
        << "\nぎ と のが\nあどぶて\n\nぎ と のが\nあどぶて\n\nぎ と のが\nあどぶて\n";
    QTest::newRow("count and append")
        << QStringLiteral("Vi\r\n@\r\n") << false << QStringList{"-n", "2", "-a", "1"}
        << "\nび\n\nび\n\nび\n\nび\n";
    QTest::newRow("count 0") << one << false << QStringList{"--count=0"} << "";
    QTest::newRow("frame by index")
        << QStringLiteral("一 Gi\r\n@\r\n二 Vi\r\n@\r\n三 No\r\n@\r\n") << false
        << QStringList{"--frame", "1", "--count", "2"} << "\n二 び\n\n二 び\n";
    // A frame cut by an "@" has no final line break; the next song must
    // still begin on a line of its own.
    QTest::newRow("frame cut inside a line") << QStringLiteral("上 No@下\r\n@\r\n") << false
                                             << QStringList{"--count", "2"} << "\n上 の\n\n上 の\n";
    QTest::newRow("UTF-8 data") << QStringLiteral("Gi🎵Noé\r\n@\r\n") << true << QStringList{}
                                << "\nぎ🎵のé\n";
}

void tst_ToolCli::writeKnownSongs()
{
    QFETCH(QString, frames);
    QFETCH(bool, utf8);
    QFETCH(QStringList, args);
    QFETCH(QString, expected);
    Folder folder(frames, utf8);
    const Run r = tool(QStringList{"write"} + args + QStringList{folder.path()});
    QCOMPARE(r.err, QString());
    QCOMPARE(r.status, 0);
    QCOMPARE(QString::fromUtf8(r.out), expected);
}

// The tool's songs are exactly what the engine shows in a window after New
// lyrics and Append lyrics, with the same seed.
void tst_ToolCli::writeIsTheProgramsText()
{
    const Run r = tool({"write", "--seed", "99", "--count", "3", "--append", "2", kBundled});
    QCOMPARE(r.status, 0);

    FolderFileSystem files(kBundled);
    FakeClock clock;
    SeededRandom random(99);
    FakeWindow window;
    LyricEngine engine(files, clock, random, window);
    engine.Form_Load();
    QVERIFY(!engine.unloaded());
    QString expected;
    for (int song = 0; song < 3; ++song) {
        engine.mnuNew_Click();
        engine.mnuRepeat_Click();
        engine.mnuRepeat_Click();
        expected += window.m_text;
    }
    expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QCOMPARE(QString::fromUtf8(r.out), expected);
}

void tst_ToolCli::seeds()
{
    const QStringList args{"write", "--count", "5", kBundled};
    const Run a = tool(QStringList{"--seed", "7"} + args);
    const Run b = tool(QStringList{"--seed", "7"} + args);
    const Run c = tool(QStringList{"--seed", "8"} + args);
    QCOMPARE(a.status, 0);
    QVERIFY(!a.out.isEmpty());
    QCOMPARE(a.out, b.out);
    QVERIFY(a.out != c.out);
    // The largest seed is a seed like any other.
    QCOMPARE(tool(QStringList{"--seed", "18446744073709551615"} + args).status, 0);
}

void tst_ToolCli::badUsage_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("piece");
    QTest::newRow("no command") << QStringList{} << "コマンド（check か write）を指定";
    QTest::newRow("unknown command") << QStringList{"print"} << "不明なコマンド「print」";
    QTest::newRow("unknown option")
        << QStringList{"check", "--fast"} << "不明なオプション「--fast」";
    QTest::newRow("unknown short option") << QStringList{"write", "-x"} << "不明なオプション「-x」";
    QTest::newRow("missing value") << QStringList{"write", "--count"} << "「--count」には値が必要";
    QTest::newRow("not a number") << QStringList{"write", "--count", "abc"} << "0 以上の整数";
    QTest::newRow("negative") << QStringList{"write", "--append=-1"} << "0 以上の整数";
    QTest::newRow("too large") << QStringList{"write", "--seed", "18446744073709551616"}
                               << "0 以上の整数";
    QTest::newRow("quiet for write") << QStringList{"write", "--quiet"} << "check でしか使えません";
    QTest::newRow("seed for check")
        << QStringList{"check", "--seed", "1"} << "write でしか使えません";
    QTest::newRow("two folders") << QStringList{"check", kBundled, kBundled} << "余分な引数";
    QTest::newRow("no such folder")
        << QStringList{"write", "/no/such/folder"} << "フォルダー「/no/such/folder」がありません";
    QTest::newRow("frame out of range")
        << QStringList{"write", "--frame", "100000", kBundled} << "フレームは 0 から";
}

void tst_ToolCli::badUsage()
{
    QFETCH(QStringList, args);
    QFETCH(QString, piece);
    const Run r = tool(args);
    QCOMPARE(r.status, 2);
    QVERIFY(r.out.isEmpty());
    QVERIFY2(r.err.startsWith(QStringLiteral("lyrmak-tool: ")), qPrintable(r.err));
    QVERIFY2(r.err.contains(piece), qPrintable(r.err));
}

void tst_ToolCli::writeFailures_data()
{
    QTest::addColumn<QString>("remove");
    QTest::addColumn<QString>("stdoutFile");
    QTest::addColumn<QString>("piece");
    QTest::newRow("missing list") << "Vi.dat" << QString()
                                  << "単語ファイル%1/Vi.datの読み込みに失敗しました: "
                                     "ファイルが見つかりません";
    QTest::newRow("missing help file")
        << "LYRMAK.HLP" << QString() << "ヘルプファイル LYRMAK.HLPが見当たりません。";
    QTest::newRow("full disk") << QString() << "/dev/full"
                               << "標準出力に書き込めませんでした";
}

void tst_ToolCli::writeFailures()
{
    QFETCH(QString, remove);
    QFETCH(QString, stdoutFile);
    QFETCH(QString, piece);
    Folder folder(QStringLiteral("Gi\r\n@\r\n"));
    if (!remove.isEmpty())
        QVERIFY(QFile::remove(folder.dir.filePath(remove)));
    const Run r = tool({"write", folder.path()}, stdoutFile);
    QCOMPARE(r.status, 1);
    QVERIFY(r.out.isEmpty());
    piece.replace(QStringLiteral("%1"), folder.path());
    QVERIFY2(r.err.contains(piece), qPrintable(r.err));
}

void tst_ToolCli::checkReport()
{
    const Run clean = tool({"check", kBundled + "/"});
    QCOMPARE(clean.status, 0);
    QCOMPARE(clean.out, QByteArray("エラー 0件、警告 0件\n"));

    // One error and one warning: the full report, then only the error.
    Folder folder(QStringLiteral("タグなし\r\n@\r\n"));
    QVERIFY(QFile::remove(folder.dir.filePath("Ad.dat")));
    const QString p = folder.path();
    const Run full = tool({"check", p});
    QCOMPARE(full.status, 1);
    QCOMPARE(QString::fromUtf8(full.out),
             QStringLiteral("%1/Ad.dat: エラー: ファイルが見つかりません\n"
                            "%1/Kasi.dat:1: 警告: タグがひとつもないフレームです（いつも同じ歌詞に"
                            "なります）\n"
                            "エラー 1件、警告 1件\n")
                 .arg(p));
    const Run quiet = tool({"check", "-q", p});
    QCOMPARE(quiet.status, 1);
    QCOMPARE(QString::fromUtf8(quiet.out),
             QStringLiteral("%1/Ad.dat: エラー: ファイルが見つかりません\n").arg(p));
}

void tst_ToolCli::helpAndVersion()
{
    const Run help = tool({"write", "--help"});
    QCOMPARE(help.status, 0);
    QVERIFY(QString::fromUtf8(help.out).startsWith(QStringLiteral("使い方: lyrmak-tool check")));
    const Run version = tool({"--version"});
    QCOMPARE(version.status, 0);
    QCOMPARE(QString::fromUtf8(version.out), QStringLiteral("lyrmak-tool (ミルトナ) 7.0\n"));
}

QTEST_GUILESS_MAIN(tst_ToolCli)
#include "tst_tool_cli.moc"
