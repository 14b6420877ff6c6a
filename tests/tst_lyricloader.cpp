#include "FakeFileSystem.h"
#include "FakeWindow.h"
#include "FolderFileSystem.h"
#include "LyricLoader.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace
{

const QString kFolder = QStringLiteral("/prog/");
QString path(const char *name)
{
    return kFolder + QString::fromLatin1(name);
}

QByteArray sjis(const QString &s)
{
    QStringEncoder e("CP932");
    return e.encode(s);
}

// A complete, valid data folder.
void fillFolder(FakeFileSystem &fs)
{
    for (const char *n : {"Gi.dat", "Ad.dat", "Vi.dat", "Vt.dat", "No.dat"})
        fs.files[path(n)] = sjis(QString::fromLatin1(n).left(2) + QStringLiteral("語1\r\n語2\r\n"));
    fs.files[path("Kasi.dat")] = sjis(QStringLiteral("一\r\nGi\r\n@\r\n二\r\n@\r\n"));
}

struct Run {
    FakeFileSystem fs;
    FakeWindow win;
    LyricData data = LyricData::withCategories();
    bool words = false;
    bool frames = false;
    void load()
    {
        LyricLoader loader(fs, win, data, kFolder);
        words = loader.WordRead();
        frames = loader.FrameRead();
    }
};

} // namespace

class tst_LyricLoader : public QObject
{
    Q_OBJECT
private slots:
    void words_data();
    void words();
    void frames_data();
    void frames();
    void readingAndMeterLines_data();
    void readingAndMeterLines();
    void failureBox_data();
    void failureBox();
    void retryEveryStep_data();
    void retryEveryStep();
    void emptyListRefusedUntilMended();
    void specialFiles_data();
    void specialFiles();
};

void tst_LyricLoader::words_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<QStringList>("words");
    QTest::newRow("empty line is a word") << "A\r\n\r\nB" << QStringList{"A", "", "B"};
    QTest::newRow("final crlf adds nothing") << "A\r\nB\r\n" << QStringList{"A", "B"};
    QTest::newRow("empty last line") << "A\r\nB\r\n\r\n" << QStringList{"A", "B", ""};
    QTest::newRow("comments skipped") << "'x\r\nA\r\n'y\r\nB" << QStringList{"A", "B"};
    QTest::newRow("space then apostrophe is a word") << " 'A" << QStringList{" 'A"};
    QTest::newRow("full-width apostrophe is a word") << "＇A" << QStringList{"＇A"};
    QTest::newRow("spaces kept") << "  A  " << QStringList{"  A  "};
    QTest::newRow("lf and cr") << "A\nB\rC" << QStringList{"A", "B", "C"};
}

void tst_LyricLoader::words()
{
    QFETCH(QString, content);
    QFETCH(QStringList, words);
    Run r;
    fillFolder(r.fs);
    r.fs.files[path("Vi.dat")] = sjis(content);
    r.load();
    QVERIFY(r.words && r.frames);
    QVERIFY(r.win.boxes.isEmpty());
    QCOMPARE(r.data.WordLists[2].Words, words);
    QCOMPARE(r.data.WordLists[0].Words, (QStringList{"Gi語1", "語2"}));
}

void tst_LyricLoader::frames_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<QStringList>("frames");
    QTest::newRow("one frame") << "A\r\nB\r\n@" << QStringList{"\r\nA\r\nB\r\n"};
    QTest::newRow("terminator alone") << "@\r\n" << QStringList{"\r\n"};
    QTest::newRow("comment leaves no trace")
        << "A\r\n'c\r\nB\r\n@" << QStringList{"\r\nA\r\nB\r\n"};
    QTest::newRow("empty line after terminator starts a frame")
        << "X\r\n@\r\n\r\nY\r\n@" << QStringList{"\r\nX\r\n", "\r\n\r\nY\r\n"};
    QTest::newRow("at inside a line cuts") << "A@B\r\nC\r\n@" << QStringList{"\r\nA"};
    QTest::newRow("at with space does not end")
        << "A\r\n@ \r\nB\r\n@\r\nC\r\n@" << QStringList{"\r\nA\r\n", "\r\nC\r\n"};
    QTest::newRow("full-width at is text") << "A＠\r\n@" << QStringList{"\r\nA＠\r\n"};
    QTest::newRow("lf only") << "A\n@\nB\n@\n" << QStringList{"\r\nA\r\n", "\r\nB\r\n"};
}

void tst_LyricLoader::frames()
{
    QFETCH(QString, content);
    QFETCH(QStringList, frames);
    Run r;
    fillFolder(r.fs);
    r.fs.files[path("Kasi.dat")] = sjis(content);
    r.load();
    QVERIFY(r.win.boxes.isEmpty());
    QVERIFY(r.frames);
    QCOMPARE(r.data.Frames, frames);
}

// What the loader takes from "'=" and "'!拍 N" lines, flattened over the
// frames' lines: a given reading ("-" for none) and a target.
void tst_LyricLoader::readingAndMeterLines_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("content");
    QTest::addColumn<QStringList>("readings");
    QTest::addColumn<QList<int>>("meters");
    using L = QStringList;
    using M = QList<int>;
    QTest::newRow("reading after a word") << "Vi.dat"
                                          << "A\r\n'=あーが\r\nB" << L{"アーガ", "-"} << M{};
    QTest::newRow("only right after a word")
        << "Vi.dat"
        << "'=あ\r\nA\r\n'x\r\n'=い\r\nB\r\n'=う\r\n'=え" << L{"-", "ウ"} << M{};
    QTest::newRow("empty reading") << "Vi.dat"
                                   << "A\r\n'=" << L{""} << M{};
    QTest::newRow("half-width kana, tags kept") << "Vi.dat"
                                                << "A\r\n'=ｶﾞNoﾊﾟ" << L{"ガNoパ"} << M{};
    QTest::newRow("frame line reading and target")
        << "Kasi.dat"
        << "'!拍 7\r\nA\r\n'=えー\r\nB\r\n@" << L{"エー", "-", "-"} << M{7, 0, 0};
    QTest::newRow("target only right before a line")
        << "Kasi.dat"
        << "'!拍 7\r\n'c\r\nA\r\n'!拍 8\r\n@" << L{"-", "-"} << M{0, 0};
    QTest::newRow("targets written otherwise are comments")
        << "Kasi.dat"
        << "'!拍 0\r\nA\r\n'!拍 100\r\nB\r\n'!拍 07\r\nC\r\n'!拍　7\r\nD\r\n'!拍 ７\r\nE\r\n"
           "'!拍 99\r\nF\r\n'!拍  9\r\nG\r\n@"
        << L{"-", "-", "-", "-", "-", "-", "-", "-"} << M{0, 0, 0, 0, 0, 99, 0, 0};
    QTest::newRow("lines cut by @ take theirs along")
        << "Kasi.dat"
        << "'!拍 3\r\nA@B\r\n'=え\r\n'!拍 4\r\nC\r\n@" << L{"エ"} << M{3};
    QTest::newRow("each frame its own")
        << "Kasi.dat"
        << "A\r\n@\r\n'=x\r\n'!拍 5\r\nB\r\n'=び\r\n@" << L{"-", "-", "ビ", "-"} << M{0, 0, 5, 0};
}

void tst_LyricLoader::readingAndMeterLines()
{
    QFETCH(QString, file);
    QFETCH(QString, content);
    QFETCH(QStringList, readings);
    QFETCH(QList<int>, meters);
    Run plain, r;
    fillFolder(plain.fs);
    fillFolder(r.fs);
    r.fs.files[kFolder + file] = sjis(content);
    // The same file without its "'=" and "'!拍" lines loads the same words and frames.
    QStringList stripped = content.split(QStringLiteral("\r\n"));
    stripped.removeIf([](const QString &l) { return l.startsWith("'=") || l.startsWith("'!"); });
    plain.fs.files[kFolder + file] = sjis(stripped.join(QStringLiteral("\r\n")));
    plain.load();
    r.load();
    QVERIFY(r.win.boxes.isEmpty());
    QCOMPARE(r.data.Frames, plain.data.Frames);
    QStringList got;
    QList<int> gotMeters;
    if (file == "Kasi.dat") {
        for (const QStringList &f : r.data.FrameReadings)
            got << f;
        for (const QList<int> &f : r.data.FrameMeters)
            gotMeters << f;
    } else {
        QCOMPARE(r.data.WordLists[2].Words, plain.data.WordLists[2].Words);
        got = r.data.WordLists[2].Readings;
        got.resize(r.data.WordLists[2].Words.size());
        gotMeters = meters;
    }
    for (QString &g : got)
        g = g.isNull() ? QStringLiteral("-") : g;
    QCOMPARE(got, readings);
    QCOMPARE(gotMeters, meters);
    QCOMPARE(r.data.Meters, meters.count(0) < meters.size());
}

// The first box's prompt for broken files; Cancel is the answer.
void tst_LyricLoader::failureBox_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("mode"); // 0: content, 1: missing, 2: a folder
    QTest::addColumn<QString>("why");

    const QString words = QStringLiteral("単語ファイル/prog/Vi.datの読み込みに失敗しました\r\n");
    const QString kasi = QStringLiteral("歌詞フレーム/prog/Kasi.datの読み込みに失敗しました\r\n");
    QTest::newRow("missing list") << "Vi.dat" << QByteArray() << 1
                                  << words + "ファイルが見つかりません";
    QTest::newRow("folder in place of list")
        << "Vi.dat" << QByteArray() << 2 << words + "ファイルではなくフォルダーです";
    QTest::newRow("list of comments only")
        << "Vi.dat" << QByteArray("'a\r\n'b") << 0
        << words + "単語がひとつもありません（空の単語は空の行で書きます）";
    QTest::newRow("list with invalid bytes")
        << "Vi.dat" << QByteArray("a\r\n\x82\x20\r\n") << 0
        << words + "2行目に文字コードとして正しくないバイト列があります（82 20）";
    QTest::newRow("missing frames")
        << "Kasi.dat" << QByteArray() << 1 << kasi + "ファイルが見つかりません";
    QTest::newRow("frame without terminator")
        << "Kasi.dat" << QByteArray("A\r\n@\r\n'c\r\nB\r\nC") << 0
        << kasi + "ファイルの終わりを越えて読もうとしました（3行目から始まるフレームが「@」の行で"
                  "終わっていません）";
    QTest::newRow("empty line after last terminator")
        << "Kasi.dat" << QByteArray("A\r\n@\r\n\r\n") << 0
        << kasi + "ファイルの終わりを越えて読もうとしました（3行目から始まるフレームが「@」の行で"
                  "終わっていません）";
    QTest::newRow("frame file of comments only")
        << "Kasi.dat" << QByteArray("'a") << 0
        << kasi + "ファイルの終わりを越えて読もうとしました（1行目から始まるフレームが「@」の行で"
                  "終わっていません）";
    QTest::newRow("empty frame file")
        << "Kasi.dat" << QByteArray("") << 0 << kasi + "歌詞フレームがひとつもありません";
}

void tst_LyricLoader::failureBox()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    QFETCH(int, mode);
    QFETCH(QString, why);
    Run r;
    fillFolder(r.fs);
    const QString p = kFolder + file;
    r.fs.files.remove(p);
    if (mode == 2)
        r.fs.folders.insert(p);
    else if (mode == 0)
        r.fs.files[p] = content;
    r.load();
    QVERIFY(!r.win.boxes.isEmpty());
    QCOMPARE(r.win.boxes[0].prompt, why);
    QCOMPARE(r.win.boxes[0].buttons, MsgButtons::RetryCancel);
    QCOMPARE(r.win.boxes[0].icon, MsgIcon::Critical);
    QCOMPARE(r.win.boxes[0].title, QStringLiteral("ミルトナ"));
    QVERIFY(r.win.unloaded);
}

// Each step of each file fails (once or three times in a row); Retry then
// gives exactly the data of a load without failures.
void tst_LyricLoader::retryEveryStep_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("at");
    QTest::addColumn<int>("times");
    QTest::addColumn<bool>("memory"); // the step runs out of memory instead
    using S = FakeFileSystem::Step;
    for (const char *f : {"Gi.dat", "No.dat", "Kasi.dat"})
        for (auto [s, name] : {std::pair{S::Open, "open"},
                               {S::AtEnd, "eof"},
                               {S::ReadLine, "read"},
                               {S::Close, "close"}})
            for (int at : {1, 2})
                for (int times : {1, 3})
                    for (bool memory : {false, true})
                        QTest::addRow("%s %s call %d x%d%s", f, name, at, times,
                                      memory ? " out of memory" : "")
                            << int(s) << QString::fromLatin1(f) << at << times << memory;
}

void tst_LyricLoader::retryEveryStep()
{
    QFETCH(int, step);
    QFETCH(QString, file);
    QFETCH(int, at);
    QFETCH(int, times);
    QFETCH(bool, memory);

    Run clean;
    fillFolder(clean.fs);
    clean.load();

    Run r;
    fillFolder(r.fs);
    FileError e = FileError::of(FileError::Kind::IoError);
    if (memory)
        r.fs.failAllocationAt(FakeFileSystem::Step(step), kFolder + file, at, times);
    else
        r.fs.failAt(FakeFileSystem::Step(step), kFolder + file, at, times, e);
    for (int i = 0; i < times; ++i)
        r.win.answers.append(MsgAnswer::Retry);
    r.load();
    const bool fires = r.fs.calls(FakeFileSystem::Step(step), kFolder + file) >= at;
    QCOMPARE(r.win.boxes.size(), fires ? times : 0);
    if (fires)
        QVERIFY(r.win.boxes[0].prompt.endsWith(memory ? "メモリが足りません" : e.description()));
    QVERIFY(r.words && r.frames && !r.win.unloaded);
    for (int i = 0; i < 5; ++i)
        QCOMPARE(r.data.WordLists[i].Words, clean.data.WordLists[i].Words);
    QCOMPARE(r.data.Frames, clean.data.Frames);
}

void tst_LyricLoader::emptyListRefusedUntilMended()
{
    Run r;
    fillFolder(r.fs);
    r.fs.files[path("Ad.dat")] = QByteArray("'only a comment\r\n");
    r.win.answers = {MsgAnswer::Retry, MsgAnswer::Retry};
    int shown = 0;
    r.win.onBox = [&] {
        if (++shown == 2)
            r.fs.files[path("Ad.dat")] = QByteArray("x\r\ny");
    };
    r.load();
    QCOMPARE(r.win.boxes.size(), 2);
    QVERIFY(r.words && !r.win.unloaded);
    QCOMPARE(r.data.WordLists[1].Words, (QStringList{"x", "y"}));
}

// On the real file layer: a FIFO with no writer, a device or a socket in
// place of a data file fails its open at once, and Retry reads the file put
// there meanwhile. An alarm ends the test if the open waits instead.
void tst_LyricLoader::specialFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("special"); // "fifo", "socket" or a device to link to
    QTest::newRow("FIFO list") << QStringLiteral("Gi.dat") << "fifo";
    QTest::newRow("list linked to /dev/zero") << QStringLiteral("Gi.dat") << "/dev/zero";
    QTest::newRow("socket list") << QStringLiteral("No.dat") << "socket";
    QTest::newRow("FIFO frames") << QStringLiteral("Kasi.dat") << "fifo";
    QTest::newRow("frames linked to /dev/urandom") << QStringLiteral("Kasi.dat") << "/dev/urandom";
}

void tst_LyricLoader::specialFiles()
{
    QFETCH(QString, file);
    QFETCH(QString, special);
    QTemporaryDir dir;
    FakeFileSystem clean;
    fillFolder(clean);
    const auto writeFile = [&](const QString &name) {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::WriteOnly) && f.write(clean.files[kFolder + name]) > 0;
    };
    for (const char *n : {"Gi.dat", "Ad.dat", "Vi.dat", "Vt.dat", "No.dat", "Kasi.dat"})
        if (QString::fromLatin1(n) != file)
            QVERIFY(writeFile(QString::fromLatin1(n)));
    const QString p = dir.filePath(file);
    const QByteArray native = QFile::encodeName(p);
    int sock = -1;
    if (special == "fifo") {
        QCOMPARE(::mkfifo(native.constData(), 0600), 0);
    } else if (special == "socket") {
        sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        qstrncpy(addr.sun_path, native.constData(), sizeof addr.sun_path);
        QCOMPARE(::bind(sock, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
    } else {
        QVERIFY(QFile::link(special, p));
    }

    FolderFileSystem fs(dir.path());
    FakeWindow win;
    win.answers = {MsgAnswer::Retry};
    win.onBox = [&] { QVERIFY(QFile::remove(p) && writeFile(file)); };
    LyricData data = LyricData::withCategories();
    LyricLoader loader(fs, win, data, dir.path() + '/');
    ::alarm(20);
    const bool loaded = loader.WordRead() && loader.FrameRead();
    ::alarm(0);
    if (sock >= 0)
        ::close(sock);
    QVERIFY(loaded);
    QCOMPARE(win.boxes.size(), 1);
    QVERIFY2(win.boxes[0].prompt.endsWith(p + "の読み込みに失敗しました\r\n"
                                              "通常のファイルではありません"),
             qPrintable(win.boxes[0].prompt));
    QCOMPARE(data.Frames.size(), 2);
    QCOMPARE(data.WordLists[4].Words, (QStringList{"No語1", "語2"}));
}

QTEST_APPLESS_MAIN(tst_LyricLoader)
#include "tst_lyricloader.moc"
