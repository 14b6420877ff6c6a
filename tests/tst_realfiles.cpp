#include "NativePath.h"
#include "PosixAppendFile.h"
#include "PosixFileSystem.h"
#include "PosixTextReader.h"
#include "UserDataFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

// Reads every line; returns the lines and the error that stopped the reading.
QStringList readAll(const QString &path, FileError &error)
{
    PosixTextReader r;
    QStringList lines;
    error = r.open(path);
    for (bool end = false; error.ok();) {
        if (error = r.atEnd(end); !error.ok() || end)
            break;
        QString line;
        if (error = r.readLine(line); error.ok())
            lines << line;
    }
    r.close();
    return lines;
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

// The real file layer on the tricky files of tests/data, on files that are
// not regular files, and on appends that fail or compete.
class tst_RealFiles : public QObject
{
    Q_OBJECT
private slots:
    void read_data();
    void read();
    void longLineAndPastEnd();
    void retryAfterMending_data();
    void retryAfterMending();
    void regularFile_data();
    void regularFile();
    void cutShort_data();
    void cutShort();
    void heldFromOpenToClose();
    void concurrentWriters();
    void userDataFolder_data();
    void userDataFolder();
    void pathsNotUtf8_data();
    void pathsNotUtf8();
};

void tst_RealFiles::read_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("error");
    const int ok = int(FileError::Kind::None), bad = int(FileError::Kind::BadBytes);
    QTest::newRow("cp932 crlf") << "words_crlf.dat"
                                << QStringList{"'コメント", "きらきら", "", " ' 空白で始まる",
                                               "ふわり"}
                                << ok;
    QTest::newRow("lf") << "words_lf.dat" << QStringList{"'comment", "いち", "に", "さん"} << ok;
    QTest::newRow("cr") << "words_cr.dat" << QStringList{"いち", "に", "さん"} << ok;
    QTest::newRow("utf8 bom") << "words_utf8_bom.dat" << QStringList{"いち", "に"} << ok;
    QTest::newRow("utf8") << "words_utf8.dat" << QStringList{"いち", "に"} << ok;
    QTest::newRow("nul") << "words_nul.dat" << QStringList{QString("a") + QChar(0) + "b", "c"}
                         << ok;
    QTest::newRow("empty") << "words_empty.dat" << QStringList{} << ok;
    QTest::newRow("invalid cp932") << "words_bad_cp932.dat" << QStringList{"いち"} << bad;
    QTest::newRow("ends inside a character") << "words_truncated.dat" << QStringList{"いち"} << bad;
    QTest::newRow("missing") << "no_such.dat" << QStringList{} << int(FileError::Kind::NotFound);
    QTest::newRow("folder") << "." << QStringList{} << int(FileError::Kind::IsFolder);
}

void tst_RealFiles::read()
{
    QFETCH(QString, file);
    QFETCH(QStringList, lines);
    QFETCH(int, error);
    FileError e;
    QCOMPARE(readAll(QStringLiteral(LYRMAK_TEST_DATA_DIR "/") + file, e), lines);
    QCOMPARE(int(e.kind), error);
}

void tst_RealFiles::longLineAndPastEnd()
{
    QTemporaryDir dir;
    const QString p = dir.filePath(QStringLiteral("long.dat"));
    QFile f(p);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(10 * 1024 * 1024, 'x'));
    f.close();
    PosixTextReader r;
    QVERIFY(r.open(p).ok());
    QString line;
    QVERIFY(r.readLine(line).ok());
    QCOMPARE(line.size(), 10 * 1024 * 1024);
    // Reading on fails every time, so Retry can never pass the end.
    QCOMPARE(r.readLine(line).kind, FileError::Kind::PastEnd);
    QCOMPARE(r.readLine(line).kind, FileError::Kind::PastEnd);
}

void tst_RealFiles::retryAfterMending_data()
{
    QTest::addColumn<QByteArray>("mended"); // what the user saves before Retry
    QTest::addColumn<QStringList>("rest");  // the lines the retried reads give
    QTest::addColumn<int>("error");         // what stops them
    const int bad = int(FileError::Kind::BadBytes), past = int(FileError::Kind::PastEnd);
    QTest::newRow("mended") << QByteArray("a\r\nb\r\nc") << QStringList{"b", "c"} << past;
    QTest::newRow("still broken") << QByteArray("a\r\n\xff") << QStringList{} << bad;
    QTest::newRow("broken further on") << QByteArray("a\r\nb\r\n\xff") << QStringList{"b"} << bad;
    QTest::newRow("removed") << QByteArray() << QStringList{} << int(FileError::Kind::NotFound);
}

// A read that met invalid bytes reads the file again when it is tried again,
// and goes on from the same line.
void tst_RealFiles::retryAfterMending()
{
    QFETCH(QByteArray, mended);
    QFETCH(QStringList, rest);
    QFETCH(int, error);
    QTemporaryDir dir;
    const QString p = dir.filePath(QStringLiteral("No.dat"));
    const auto write = [&](const QByteArray &bytes) {
        QFile f(p);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    };
    write("a\r\n\xff\xfe\r\nc");
    PosixTextReader r;
    QString line;
    QVERIFY(r.open(p).ok() && r.readLine(line).ok());
    QCOMPARE(r.readLine(line).kind, FileError::Kind::BadBytes);
    if (mended.isNull())
        QVERIFY(QFile::remove(p));
    else
        write(mended);
    QStringList lines;
    FileError e;
    while ((e = r.readLine(line)).ok())
        lines << line;
    QCOMPARE(lines, rest);
    QCOMPARE(int(e.kind), error);
}

// Every open of the real file layer takes a regular file, or a link to one,
// and nothing else, without waiting: the help file at start-up, a reader and
// an append alike.
void tst_RealFiles::regularFile_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<int>("kind");       // of the reader's open
    QTest::addColumn<int>("appendKind"); // -1: not tried
    const int notRegular = int(FileError::Kind::NotRegular);
    const int folder = int(FileError::Kind::IsFolder), notFound = int(FileError::Kind::NotFound);
    QTest::newRow("file") << "file" << 0 << 0;
    QTest::newRow("link to a file") << "link" << 0 << 0;
    QTest::newRow("FIFO") << "fifo" << notRegular << notRegular;
    QTest::newRow("link to a FIFO") << "link to fifo" << notRegular << notRegular;
    QTest::newRow("link to /dev/null") << "/dev/null" << notRegular << notRegular;
    QTest::newRow("folder") << "folder" << folder << folder;
    QTest::newRow("dangling link") << "dangling" << notFound << -1;
    QTest::newRow("folder removed") << "missing" << notFound << notFound;
}

void tst_RealFiles::regularFile()
{
    QFETCH(QString, what);
    QFETCH(int, kind);
    QFETCH(int, appendKind);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("file"));
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write("a\r\n") == 3);
    f.close();
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString p = dir.filePath(QStringLiteral("prog/LYRMAK.HLP"));
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("prog"))));
    if (what == QLatin1String("file"))
        QVERIFY(QFile::rename(file, p));
    else if (what == QLatin1String("link"))
        QVERIFY(QFile::link(file, p));
    else if (what == QLatin1String("fifo"))
        QVERIFY(QFile::rename(fifo, p));
    else if (what == QLatin1String("link to fifo"))
        QVERIFY(QFile::link(fifo, p));
    else if (what == QLatin1String("folder"))
        QVERIFY(QDir().mkpath(p));
    else if (what == QLatin1String("dangling"))
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("gone")), p));
    else if (what == QLatin1String("missing"))
        QVERIFY(QDir(dir.filePath(QStringLiteral("prog"))).removeRecursively());
    else
        QVERIFY(QFile::link(what, p));

    QCOMPARE(PosixFileSystem().isRegularFile(p), kind == 0);
    ::alarm(20); // a hang ends the test
    PosixTextReader r;
    QCOMPARE(int(r.open(p).kind), kind);
    PosixAppendFile out;
    const FileError o = appendKind < 0 ? FileError() : out.open(p);
    ::alarm(0);
    QCOMPARE(int(o.kind), std::max(appendKind, 0));
    QVERIFY(!o.description().isEmpty() || o.ok());
    if (appendKind == 0) {
        QVERIFY(out.write("abc\r\n").ok() && out.close().ok());
        QCOMPARE(readFile(p), QByteArray("a\r\nabc\r\n"));
    }
}

void tst_RealFiles::cutShort_data()
{
    QTest::addColumn<bool>("retry");
    QTest::addColumn<bool>("existed");
    QTest::newRow("given up") << false << true;
    QTest::newRow("retried once there is room") << true << true;
    QTest::newRow("new file given up: removed") << false << false;
    QTest::newRow("new file retried") << true << false;
}

// A write stopped part-way, here by the file size limit as a full disk would
// stop it: what was saved before stays byte for byte, a write that still
// fails adds nothing, giving up takes back every byte of it, and the retried
// write goes on exactly where it stopped.
void tst_RealFiles::cutShort()
{
    QFETCH(bool, retry);
    QFETCH(bool, existed);
    QTemporaryDir dir;
    const QString p = dir.filePath(QStringLiteral("Lyrmak.dat"));
    const QByteArray before = existed ? "-------------------------------\r\n前の歌詞\r\n" : "";
    const QByteArray line(6000, 'a');
    QFile f(p);
    if (existed) {
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(before) == before.size());
        f.close();
    }
    rlimit old = {};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 100;
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
    PosixAppendFile out;
    const bool opened = out.open(p).ok();
    const bool failed = opened && !out.write(line).ok() && !out.write(line).ok();
    const QByteArray cut = readFile(p);
    if (!retry)
        out.discard();
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    QVERIFY(failed);
    QCOMPARE(cut.size(), 100);
    QVERIFY(cut.startsWith(before));
    if (retry)
        QVERIFY(out.write(line).ok() && out.close().ok());
    QCOMPARE(readFile(p), retry ? before + line : before);
    QCOMPARE(QFile::exists(p), existed || retry);
}

// The file is held from open() to close(): a second writer, here on a file
// descriptor of its own, waits and then reports the file as in use.
void tst_RealFiles::heldFromOpenToClose()
{
    QTemporaryDir dir;
    const QString p = dir.filePath(QStringLiteral("Lyrmak.dat"));
    PosixAppendFile first;
    PosixAppendFile second(std::chrono::milliseconds(50));
    QVERIFY(first.open(p).ok() && first.endsInLineBreak());
    QVERIFY(first.write("ab").ok());
    const FileError busy = second.open(p);
    QCOMPARE(busy.kind, FileError::Kind::InUse);
    QCOMPARE(busy.description(), QStringLiteral("ほかのプログラムがファイルを使っています"));
    QVERIFY(first.close().ok());
    QVERIFY(second.open(p).ok());
    QVERIFY(!second.endsInLineBreak());
    QVERIFY(second.write("\r\n").ok() && second.close().ok());
    QVERIFY(first.open(p).ok() && first.endsInLineBreak());
    first.discard();
    QCOMPARE(readFile(p), QByteArray("ab\r\n"));
}

// Three processes append blocks of three writes each at the same moment:
// every block arrives whole.
void tst_RealFiles::concurrentWriters()
{
    QTemporaryDir dir;
    const QString p = dir.filePath(QStringLiteral("Lyrmak.dat"));
    const int writers = 3, blocks = 50;
    const auto copy = [](int w) { return QByteArray(3000, char('a' + w)) + "\r\n"; };
    const QByteArray separator = QByteArray(31, '-') + "\r\n";
    QList<pid_t> children;
    for (int w = 0; w < writers; ++w) {
        const pid_t pid = ::fork();
        QVERIFY(pid >= 0);
        if (pid == 0) {
            bool ok = true;
            for (int b = 0; b < blocks && ok; ++b) {
                PosixAppendFile f(std::chrono::seconds(30));
                ok = f.open(p).ok() && f.write(separator).ok() && f.write(copy(w)).ok() &&
                     f.write(copy(w)).ok() && f.close().ok();
            }
            ::_exit(ok ? 0 : 1);
        }
        children << pid;
    }
    for (pid_t pid : children) {
        int status = 0;
        QCOMPARE(::waitpid(pid, &status, 0), pid);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const QByteArray all = readFile(p);
    QMap<char, int> whole;
    for (qsizetype at = 0; at < all.size();) {
        const char w = all.at(at + separator.size());
        const QByteArray expected = separator + copy(w - 'a') + copy(w - 'a');
        QVERIFY2(all.sliced(at).startsWith(expected), qPrintable(QString::number(at)));
        ++whole[w];
        at += expected.size();
    }
    QCOMPARE(whole, (QMap<char, int>{{'a', blocks}, {'b', blocks}, {'c', blocks}}));
}

void tst_RealFiles::userDataFolder_data()
{
    QTest::addColumn<QString>("xdgDataHome");
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("folder");
    QTest::newRow("default") << ""
                             << "/home/u"
                             << "/home/u/.local/share/lyrmak";
    QTest::newRow("XDG_DATA_HOME") << "/data"
                                   << "/home/u"
                                   << "/data/lyrmak";
    QTest::newRow("relative XDG_DATA_HOME") << "data"
                                            << "/home/u"
                                            << "/home/u/.local/share/lyrmak";
    QTest::newRow("root's home") << ""
                                 << "/"
                                 << "/.local/share/lyrmak";
    QTest::newRow("no home") << ""
                             << ""
                             << "";
}

// The folder the saved lyrics fall back to, and that it is made private all
// the way down, over folders that are already there.
void tst_RealFiles::userDataFolder()
{
    QFETCH(QString, xdgDataHome);
    QFETCH(QString, home);
    QFETCH(QString, folder);
    QCOMPARE(UserDataFolder::location(xdgDataHome, home), folder);
    if (folder.isEmpty())
        return;
    QTemporaryDir dir;
    const QString made = dir.path() + folder;
    QVERIFY(UserDataFolder::make(made).ok());
    for (QString f = made; f != dir.path(); f = QFileInfo(f).path()) {
        struct stat st = {};
        QCOMPARE(::stat(QFile::encodeName(f).constData(), &st), 0);
        QCOMPARE(st.st_mode & 07777, 0700u);
    }
    QVERIFY(UserDataFolder::make(made).ok());
    QFile file(made + "/x");
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(UserDataFolder::make(file.fileName()).kind, FileError::Kind::PathNotFound);
}

void tst_RealFiles::pathsNotUtf8_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("shown");
    QTest::newRow("UTF-8") << QByteArray("café") << QStringLiteral("café");
    QTest::newRow("Latin-1 byte") << QByteArray("caf\xE9") << QStringLiteral("caf\uFFFD");
    QTest::newRow("CP932") << QByteArray("\x89\xCC") << QStringLiteral("\uFFFD\uFFFD");
    QTest::newRow("UTF-8 cut short") << QByteArray("a\xE6\xAD") << QStringLiteral("a\uFFFD\uFFFD");
    QTest::newRow("encoded surrogate")
        << QByteArray("\xED\xB3\xA9") << QStringLiteral("\uFFFD\uFFFD\uFFFD");
    QTest::newRow("emoji, then a stray byte")
        << QByteArray("\xF0\x9F\x8E\xB5\x80") << QStringLiteral("🎵\uFFFD");
}

// A folder name in any bytes: the file in it is found, read and appended to
// byte for byte, and a message shows each odd byte as U+FFFD.
void tst_RealFiles::pathsNotUtf8()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, shown);
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path()) + '/' + name;
    QCOMPARE(::mkdir(folder.constData(), 0700), 0);
    const QString path = NativePath::fromNative(folder + "/Lyrmak.dat");
    QCOMPARE(NativePath::toNative(path), folder + "/Lyrmak.dat");
    QCOMPARE(NativePath::display(path), dir.path() + '/' + shown + "/Lyrmak.dat");
    PosixAppendFile out;
    QVERIFY(out.open(path).ok() && out.write("a\r\n").ok() && out.close().ok());
    QVERIFY(PosixFileSystem().isRegularFile(path));
    FileError e;
    QCOMPARE(readAll(path, e), QStringList{"a"});
}

QTEST_APPLESS_MAIN(tst_RealFiles)
#include "tst_realfiles.moc"
