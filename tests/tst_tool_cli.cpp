#include "FakeClock.h"
#include "FakeWindow.h"
#include "FolderFileSystem.h"
#include "LyricEngine.h"
#include "MecabReadingSource.h"
#include "MelodyFile.h"
#include "SeededRandom.h"
#include "SongWriter.h"
#include "Utf8WithLf.h"

#include <QFile>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

const QString kBundled = QStringLiteral(LYRMAK_BUNDLED_DATA_DIR);

struct Run {
    int status = -1;
    QString out, err;
};

// Runs the tool; "DIR" in `args` stands for `dir`, and a last ">file"
// sends standard output to that file.
Run tool(QStringList args, const QString &dir = {})
{
    QProcess p;
    if (!args.isEmpty() && args.last().startsWith('>'))
        p.setStandardOutputFile(args.takeLast().mid(1));
    for (QString &a : args)
        a.replace(QLatin1String("DIR"), dir);
    p.start(QStringLiteral(LYRMAK_APP_DIR "/lyrmak-tool"), args);
    if (!p.waitForFinished(20000) || p.exitStatus() != QProcess::NormalExit)
        return {};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// A data folder of one-word lists, so that every song is known in advance;
// CR LF line ends, CP932 unless `utf8`.
struct Folder {
    QTemporaryDir dir;
    explicit Folder(const QString &frames, bool utf8 = false)
    {
        const QStringList names{"Gi.dat", "Ad.dat",   "Vi.dat",    "Vt.dat",
                                "No.dat", "Kasi.dat", "LYRMAK.HLP"};
        const QStringList texts{"ぎ\r\n", "あど\r\n", "び\r\n", "ぶて\r\n",
                                "の\r\n", frames,     "help"};
        for (qsizetype i = 0; i < names.size(); ++i) {
            QFile f(dir.filePath(names[i]));
            if (f.open(QIODevice::WriteOnly))
                f.write(utf8 ? texts[i].toUtf8() : QStringEncoder("CP932").encode(texts[i]));
        }
    }
};

} // namespace

class tst_ToolCli : public QObject
{
    Q_OBJECT
private slots:
    void write_data();
    void write();
    void seeds();
    void runs_data();
    void runs();
    void melody();
    void utf8_data();
    void utf8();
    void folderNotUtf8();
};

void tst_ToolCli::write_data()
{
    QTest::addColumn<QString>("frames");
    QTest::addColumn<bool>("utf8");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("expected");
    const QString one = QStringLiteral("Gi と Noが\r\nAdVt\r\n@\r\n");
    QTest::newRow("one song") << one << false << QStringList{} << "\nぎ と のが\nあどぶて\n";
    QTest::newRow("appends follow each song")
        << one << false << QStringList{"-n", "2", "--append", "1"}
        << "\nぎ と のが\nあどぶて\n\nぎ と のが\nあどぶて\n"
           "\nぎ と のが\nあどぶて\n\nぎ と のが\nあどぶて\n";
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
    // Each line's morae, "?" for a line with a part that has no reading.
    QTest::newRow("readings") << one << false << QStringList{"--readings"}
                              << "\nぎ と のが\t4\nあどぶて\t4\n";
    QTest::newRow("morae: only frames with that many lines")
        << QStringLiteral("一 Gi\r\n@\r\n二 Gi\r\n\r\nNo\r\n@\r\n") << false
        << QStringList{"--morae", "2,1", "-n", "2", "--readings"}
        << "\n二 ぎ\t2\n\nの\t1\n\n二 ぎ\t2\n\nの\t1\n";
    QTest::newRow("readings as kana, a line cut by @")
        << QStringLiteral("上 No@下\r\n@\r\n") << false
        << QStringList{"--count", "2", "--readings=kana"}
        << "\n上 の\t3\tウエ ノ\n\n上 の\t3\tウエ ノ\n";
    QTest::newRow("readings given and unknown")
        << QStringLiteral("Baby No\r\n'=べいびー No\r\nHi\r\n@\r\n") << false
        << QStringList{"--readings=kana"} << "\nBaby の\t5\tベイビー ノ\nHi\t?\tHi\n";
}

void tst_ToolCli::write()
{
    QFETCH(QString, frames);
    QFETCH(bool, utf8);
    QFETCH(QStringList, args);
    QFETCH(QString, expected);
    Folder folder(frames, utf8);
    const Run r = tool(QStringList{"write"} + args + QStringList{"DIR"}, folder.dir.path());
    QCOMPARE(r.err, QString());
    QCOMPARE(r.status, 0);
    QCOMPARE(r.out, expected);
}

// One seed writes the same songs wherever the option stands, and they are
// what the program shows after New lyrics and Append lyrics 300 times; another
// seed writes others.
void tst_ToolCli::seeds()
{
    // Long enough songs that the output is written in several blocks.
    const QStringList args{"--count", "3", "--append", "300", kBundled};
    const Run a = tool(QStringList{"write", "--seed", "7"} + args);
    QCOMPARE(a.status, 0);
    QCOMPARE(tool(QStringList{"--seed", "7", "write"} + args).out, a.out);
    QVERIFY(tool(QStringList{"write", "--seed", "8"} + args).out != a.out);
    QCOMPARE(tool(QStringList{"write", "--seed", "18446744073709551615"} + args).status, 0);

    FolderFileSystem files(kBundled);
    FakeClock clock;
    SeededRandom random(7);
    FakeWindow window;
    LyricEngine engine(files, clock, random, window);
    MecabReadingSource mecab; // as the tool reads: the bundled frames have meters
    engine.setReadingSource(&mecab);
    engine.Form_Load();
    QVERIFY(!engine.unloaded());
    QString expected;
    for (int song = 0; song < 3; ++song) {
        engine.mnuNew_Click();
        for (int i = 0; i < 300; ++i)
            engine.mnuRepeat_Click();
        expected += window.m_text;
    }
    QCOMPARE(a.out, expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

// Each row runs the tool with "DIR" standing for a folder whose one frame has
// no tag and which lacks Ad.dat (or has a FIFO by that name). Usage errors end with status 2,
// failures with 1; a message goes to standard error and nothing to standard output. An output
// ending in "…" is only its start.
void tst_ToolCli::runs_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("out");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("err"); // a piece; empty: nothing on standard error
    using L = QStringList;
    const QString error = QStringLiteral("DIR/Ad.dat: エラー: ファイルが見つかりません\n");
    QTest::newRow("no command") << L{} << "" << 2 << "コマンド（check か write）を指定";
    QTest::newRow("unknown command") << L{"print"} << "" << 2 << "不明なコマンド「print」";
    QTest::newRow("unknown option") << L{"write", "-x"} << "" << 2 << "不明なオプション「-x」";
    QTest::newRow("missing value") << L{"write", "--count"} << "" << 2 << "「--count」には値が必要";
    QTest::newRow("not a number") << L{"write", "--count", "abc"} << "" << 2 << "0 以上の整数";
    QTest::newRow("negative") << L{"write", "--append=-1"} << "" << 2 << "0 以上の整数";
    QTest::newRow("too large") << L{"write", "--seed", "18446744073709551616"} << "" << 2
                               << "0 以上の整数";
    QTest::newRow("quiet for write")
        << L{"write", "--quiet"} << "" << 2 << "check でしか使えません";
    QTest::newRow("seed for check")
        << L{"check", "--seed", "1"} << "" << 2 << "write でしか使えません";
    QTest::newRow("readings other than kana")
        << L{"write", "--readings=all"} << "" << 2 << "「--readings」の値「all」は kana だけ";
    QTest::newRow("readings for check")
        << L{"check", "--readings"} << "" << 2 << "write でしか使えません";
    QTest::newRow("morae out of range")
        << L{"write", "--morae", "7,0"} << "" << 2 << "1 から 99 までの整数をコンマで区切って";
    QTest::newRow("morae for check") << L{"check", "--morae", "7"} << "" << 2 << "write でしか";
    QTest::newRow("no frame of that many lines")
        << L{"write", "--morae", "7", kBundled} << "" << 1 << "空でない行が 1 行のフレームがない";
    QTest::newRow("two folders") << L{"check", "DIR", "DIR"} << "" << 2 << "余分な引数";
    QTest::newRow("no such folder")
        << L{"write", "/no/such/folder"} << "" << 2 << "フォルダー「/no/such/folder」がありません";
    QTest::newRow("a file for the folder")
        << L{"check", "DIR/Gi.dat"} << "" << 2 << "「DIR/Gi.dat」はフォルダーではなくファイルです";
    QTest::newRow("a FIFO for the folder")
        << L{"check", "DIR/Ad.dat", "FIFO"} << "" << 2 << "はフォルダーではなくFIFO";
    QTest::newRow("frame out of range")
        << L{"write", "--frame", "100000", kBundled} << "" << 2 << "フレームは 0 から";
    QTest::newRow("missing list")
        << L{"write", "DIR"} << "" << 1
        << "単語ファイルDIR/Ad.datの読み込みに失敗しました: ファイルが見つかりません";
    const QString full = QStringLiteral("標準出力に書き込めませんでした");
    QTest::newRow("full disk") << L{"write", kBundled, ">/dev/full"} << "" << 1 << full;
    QTest::newRow("check to a full disk") << L{"check", kBundled, ">/dev/full"} << "" << 1 << full;
    QTest::newRow("help to a full disk") << L{"--help", ">/dev/full"} << "" << 1 << full;
    QTest::newRow("version to a full disk") << L{"--version", ">/dev/full"} << "" << 1 << full;
    QTest::newRow("FIFO list: write")
        << L{"write", "DIR", "FIFO"} << "" << 1
        << "単語ファイルDIR/Ad.datの読み込みに失敗しました: 通常のファイルではありません";
    QTest::newRow("clean")
        << L{"check", kBundled + "/"}
        << "拍: 指定のある 3654 行のうち 3654 行（100%）を指定どおりに埋められます\n"
           "エラー 0件、警告 0件\n"
        << 0 << "";
    QTest::newRow("an error and a warning")
        << L{"check", "DIR"}
        << error +
               "DIR/Kasi.dat:1: 警告: タグがひとつもないフレームです（いつも同じ歌詞になります）\n"
               "エラー 1件、警告 1件\n"
        << 1 << "";
    QTest::newRow("quiet: the error only") << L{"check", "-q", "DIR"} << error << 1 << "";
    QTest::newRow("part without a melody")
        << L{"write", "--part", "2"} << "" << 2 << "「--melody」と一緒に使います";
    QTest::newRow("a melody is one song")
        << L{"write", "--melody", "m.mid", "-n", "2"} << "" << 2 << "一緒には使えません";
    QTest::newRow("part 0") << L{"write", "--melody", "m.mid", "--part", "0"} << "" << 2
                            << "1 以上の整数";
    QTest::newRow("no melody file") << L{"write", "--melody", "/no/such.mid", kBundled} << "" << 1
                                    << "/no/such.mid: ファイルが見つかりません";
    QTest::newRow("an endless melody") << L{"write", "--melody", "/dev/zero", kBundled} << "" << 1
                                       << "/dev/zero: 通常のファイルではありません";
    QTest::newRow("help") << L{"write", "--help"} << "使い方: lyrmak-tool check…" << 0 << "";
    QTest::newRow("version") << L{"--version"} << "lyrmak-tool (ミルトナ) 7.0\n" << 0 << "";
}

void tst_ToolCli::runs()
{
    QFETCH(QStringList, args);
    QFETCH(QString, out);
    QFETCH(int, status);
    QFETCH(QString, err);
    Folder folder(QStringLiteral("タグなし\r\n@\r\n"));
    QVERIFY(QFile::remove(folder.dir.filePath("Ad.dat")));
    // "FIFO": Ad.dat is a FIFO that nobody writes to. A tool that waits on it
    // runs into the time limit and fails.
    if (args.removeAll(QStringLiteral("FIFO")))
        QCOMPARE(::mkfifo(QFile::encodeName(folder.dir.filePath("Ad.dat")).constData(), 0600), 0);
    const Run r = tool(args, folder.dir.path());
    QCOMPARE(r.status, status);
    out.replace(QStringLiteral("DIR"), folder.dir.path());
    err.replace(QStringLiteral("DIR"), folder.dir.path());
    if (out.endsWith(u'…'))
        QVERIFY2(r.out.startsWith(out.chopped(1)), qPrintable(r.out));
    else
        QCOMPARE(r.out, out);
    if (err.isEmpty())
        QCOMPARE(r.err, QString());
    else
        QVERIFY2(r.err.startsWith("lyrmak-tool: ") && r.err.contains(err), qPrintable(r.err));
}

// Lines go onto phrases in order, each filled to its phrase's length where
// the words allow, the frame is filled again for the phrases left, and the
// score carries each line's morae under its notes: a mora too many shares
// the last note.
void tst_ToolCli::melody()
{
    Folder folder(QStringLiteral("Gi と Noが\r\nAdVt\r\n@\r\n"));
    QFile no(folder.dir.filePath("No.dat"));
    QVERIFY(no.open(QIODevice::WriteOnly));
    no.write(QStringEncoder("CP932").encode(QStringLiteral("の\r\nのの\r\nののの\r\n")));
    no.close();
    QString notes;
    for (const int count : {6, 3, 4})
        notes += QStringLiteral("<note><pitch><step>C</step><octave>4</octave></pitch>"
                                "<duration>1</duration></note>")
                     .repeated(count) +
                 QStringLiteral("<note><rest/><duration>1</duration></note>");
    QFile m(folder.dir.filePath("m.musicxml"));
    QVERIFY(m.open(QIODevice::WriteOnly));
    m.write(QStringLiteral("<score-partwise><part id=\"P1\"><measure><attributes><divisions>1"
                           "</divisions><time><beats>16</beats><beat-type>4</beat-type></time>"
                           "</attributes>%1</measure></part></score-partwise>")
                .arg(notes)
                .toUtf8());
    m.close();
    const Run r =
        tool({"write", "--melody", m.fileName(), "--score", folder.dir.filePath("s.mxl"), "DIR"},
             folder.dir.path());
    QCOMPARE(r.status, 0);
    QCOMPARE(r.out, "\nぎ と のののが\nあどぶて\n\nぎ と のが\n");
    QCOMPARE(r.err,
             "lyrmak-tool: 2行目「あどぶて」: 音符 3 に 4 拍あるので、最後の音で 2 拍を歌います\n");
    MelodyFile score;
    QVERIFY2(score.read(folder.dir.filePath("s.mxl"), 1), qPrintable(score.error()));
    QStringList lyrics;
    for (const QList<Melody::Place> &p : score.melody().phrases())
        for (const Melody::Place &at : p)
            lyrics.append(score.melody().measures[at.measure].events[at.event].lyric);
    QCOMPARE(lyrics.join(u' '), "ぎ と の の の が あ ど ぶて ぎ と の が");
}

// Songs are encoded sixteen or eight characters at a time: every kind of
// character among them, at the start, across the edges of blocks and in the
// short last block.
void tst_ToolCli::utf8_data()
{
    QTest::addColumn<QString>("text");
    const QString kana = QStringLiteral("夜の港に　風が吹くあんたの星を見たけれどカモメ");
    QTest::newRow("wide only, with a tail") << kana;
    for (const int at : {0, 7, 15, int(kana.size())}) {
        for (const char *piece : {"\r\n", "a", "é", "🎵", "\r", "\uE000\uFFFF"})
            QTest::addRow("%s at %d", piece, at)
                << QString(kana).insert(at, QString::fromUtf8(piece));
    }
}

void tst_ToolCli::utf8()
{
    QFETCH(QString, text);
    QByteArray out("前");
    Utf8WithLf::append(text, out);
    QCOMPARE(out, QByteArray("前") + QString(text).replace("\r\n", "\n").toUtf8());
    // A lone surrogate becomes the replacement character.
    out.clear();
    Utf8WithLf::append(QString(text).insert(12, QChar(0xD800)), out);
    QCOMPARE(out,
             QString(text).insert(12, QChar::ReplacementCharacter).replace("\r\n", "\n").toUtf8());
}

// A folder whose name is not UTF-8 is found, and shown with U+FFFD for the
// odd byte.
void tst_ToolCli::folderNotUtf8()
{
    Folder folder(QStringLiteral("タグなし\r\n@\r\n"));
    const QByteArray link = QFile::encodeName(folder.dir.path()) + "-caf\xE9";
    QCOMPARE(::symlink(QFile::encodeName(folder.dir.path()).constData(), link.constData()), 0);
    QProcess p;
    p.start(QStringLiteral("/bin/sh"), {"-c", "\"$0\" check \"$1$(printf '\\351')\"",
                                        LYRMAK_APP_DIR "/lyrmak-tool", folder.dir.path() + "-caf"});
    QVERIFY(p.waitForFinished(20000));
    ::unlink(link.constData());
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    QVERIFY2(out.startsWith(folder.dir.path() + QStringLiteral("-caf\uFFFD/Kasi.dat:1: 警告")),
             qPrintable(out));
    QCOMPARE(p.exitCode(), 0);
}

QTEST_GUILESS_MAIN(tst_ToolCli)
#include "tst_tool_cli.moc"
