#include "FakeWindow.h"
#include "FolderFileSystem.h"
#include "LyricSaver.h"
#include "MainWindowFixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using Step = FakeFileSystem::Step;
using Answers = QList<MsgAnswer>;
Q_DECLARE_METATYPE(Step)
Q_DECLARE_METATYPE(FileError::Kind)

namespace
{

const QString Path = QStringLiteral("/prog/Lyrmak.dat");
const QString Own = QStringLiteral("/home/u/.local/share/lyrmak/Lyrmak.dat");
const QString CannotWrite = QStringLiteral("歌詞データが書き込めません\r\n");

QByteArray block(const QByteArray &text)
{
    return QByteArray(31, '-') + "\r\n" + text + "\r\n" + text + "\r\n";
}

void save(MainWindowFixture &f, const QString &text, const Answers &answers = {})
{
    f.txt().setText(text);
    for (MsgAnswer a : answers)
        MessageBox::setNextAnswer(a);
    f.item("mnuFileSave")->trigger();
}

// The prompts of the boxes shown since the last call; every box has the
// error icon, the program's title and the given buttons.
QStringList prompts(MsgButtons buttons)
{
    QStringList seen;
    for (const MessageBox::Shown &s : MessageBox::takeShown())
        seen << (s.buttons == buttons && s.icon == MsgIcon::Critical && s.title == "ミルトナ"
                     ? s.prompt
                     : "(wrong box)");
    return seen;
}

} // namespace

class tst_Save : public QObject
{
    Q_OBJECT
private slots:
    void twoSaves_data();
    void twoSaves();
    void failingStep_data();
    void failingStep();
    void cutShort_data();
    void cutShort();
    void realFileFailures_data();
    void realFileFailures();
    void readOnlyProgramFolder_data();
    void readOnlyProgramFolder();
    void outOfMemory_data();
    void outOfMemory();
};

void tst_Save::twoSaves_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes"); // null: nothing written
    QTest::addColumn<QString>("prompt");   // shown instead of writing
    const QString blank = QStringLiteral("歌詞データが存在しません");
    const QString cannot =
        CannotWrite + QStringLiteral("「%1」（U+%2）は Shift-JIS で書けない文字です");
    QTest::newRow("three letters") << "abc" << QByteArray("abc") << QString();
    QTest::newRow("only line breaks") << "\r\n\r\n" << QByteArray("\r\n\r\n") << QString();
    QTest::newRow("spaces kept") << " \u3000a\t " << QByteArray(" \x81@a\t ") << QString();
    QTest::newRow("japanese") << "夜空に\r\nｷﾗｷﾗ星～－"
                              << QByteArray::fromHex("96e98bf382c90d0ab7d7b7d790af8160817c")
                              << QString();
    QTest::newRow("empty") << "" << QByteArray() << blank;
    QTest::newRow("spaces only") << " \u3000 \u3000" << QByteArray() << blank;
    QTest::newRow("emoji") << "歌\r\n😀😀" << QByteArray() << cannot.arg("😀", "1F600");
    QTest::newRow("first of two") << "a한😀" << QByteArray() << cannot.arg("한", "D55C");
    QTest::newRow("kin of CP932 characters")
        << "〜‖−—¢£¬¦" << QByteArray::fromHex("81608161817c815c8191819281cafa55") << QString();
    QTest::newRow("every line break") << "a\u2028b\u2029c\u0085d\re\nf\r\n"
                                      << QByteArray("a\r\nb\r\nc\r\nd\r\ne\r\nf\r\n") << QString();
    const QString unseen = CannotWrite + QStringLiteral("U+%1 は Shift-JIS で書けない文字です");
    QTest::newRow("zero width space") << "a\u200Bb" << QByteArray() << unseen.arg("200B");
    QTest::newRow("no-break space") << "a\u00A0" << QByteArray() << unseen.arg("00A0");
    QTest::newRow("control") << "a\u0080" << QByteArray() << unseen.arg("0080");
}

// Each Save appends one block behind what the file already held, or writes
// nothing and says why.
void tst_Save::twoSaves()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, prompt);
    MainWindowFixture f;
    f.fs.files[Path] = "old\r\n";
    save(f, text, {MsgAnswer::Ok});
    save(f, text, {MsgAnswer::Ok});
    QCOMPARE(f.fs.files[Path], "old\r\n" + (bytes.isNull() ? "" : block(bytes) + block(bytes)));
    QCOMPARE(prompts(MsgButtons::Ok), prompt.isNull() ? QStringList() : QStringList(2, prompt));
    QCOMPARE(block("abc").size(), 43);
}

void tst_Save::failingStep_data()
{
    QTest::addColumn<Step>("step");
    QTest::addColumn<Answers>("answers");
    QTest::addColumn<QByteArray>("written");
    const auto R = MsgAnswer::Retry, C = MsgAnswer::Cancel;
    const QByteArray all = block("abc");
    QTest::newRow("open, retry") << Step::AppendOpen << Answers{R} << all;
    QTest::newRow("write, retry twice") << Step::Write << Answers{R, R} << all;
    QTest::newRow("close, retry") << Step::AppendClose << Answers{R} << all;
    QTest::newRow("open, cancel") << Step::AppendOpen << Answers{C} << QByteArray();
    QTest::newRow("write, retry, cancel") << Step::Write << Answers{R, C} << QByteArray("");
    QTest::newRow("close, cancel") << Step::AppendClose << Answers{C} << all;
}

// Retry repeats the failed step alone; Cancel gives the file up, and the
// next Save works as usual.
void tst_Save::failingStep()
{
    QFETCH(Step, step);
    QFETCH(Answers, answers);
    QFETCH(QByteArray, written);
    MainWindowFixture f;
    f.fs.failAt(step, Path, 1, answers.size(), FileError::of(FileError::Kind::NoSpace));
    save(f, QStringLiteral("abc"), answers);
    const QString prompt = CannotWrite + QStringLiteral("ディスクの空き領域が足りません: ") + Path;
    QCOMPARE(prompts(MsgButtons::RetryCancel), QStringList(answers.size(), prompt));
    QCOMPARE(f.fs.files.value(Path), written);
    QCOMPARE(f.fs.files.contains(Path), !written.isNull());
    const bool gaveUp = answers.last() == MsgAnswer::Cancel;
    QCOMPARE(f.fs.log.contains("discard " + Path), gaveUp && step != Step::AppendOpen);
    save(f, QStringLiteral("abc"));
    QCOMPARE(f.fs.files.value(Path), written + block("abc"));
}

void tst_Save::cutShort_data()
{
    QTest::addColumn<QByteArray>("before"); // null: no file yet
    QTest::addColumn<QByteArray>("lineBreak");
    QTest::newRow("ends in CR LF") << QByteArray("old\r\n") << QByteArray();
    QTest::newRow("no file") << QByteArray() << QByteArray();
    QTest::newRow("cut mid-character") << QByteArray("\x89") << QByteArray("\r\n");
}

// A write that stops at any byte of the block: Cancel leaves the file byte
// for byte as it was, Retry completes the block. A file that does not end in
// CR LF gets one before the block.
void tst_Save::cutShort()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, lineBreak);
    const QByteArray whole = lineBreak + block("\x89\xCC\r\nab"); // 歌 in CP932
    for (qsizetype at = 0; at < whole.size(); ++at) {
        for (MsgAnswer answer : {MsgAnswer::Cancel, MsgAnswer::Retry}) {
            MainWindowFixture f;
            if (!before.isNull())
                f.fs.files[Path] = before;
            f.fs.writtenBeforeFailure = at;
            f.fs.failAt(Step::Write, Path, 1, 1, FileError::of(FileError::Kind::NoSpace));
            save(f, QStringLiteral("歌\r\nab"), {answer});
            const QByteArray expected = before + (answer == MsgAnswer::Retry ? whole : "");
            QCOMPARE(f.fs.files.value(Path), expected);
            QCOMPARE(f.fs.calls(Step::Write, Path), answer == MsgAnswer::Retry ? 2 : 1);
        }
    }
}

void tst_Save::realFileFailures_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("cause");
    const QString notRegular = QStringLiteral("通常のファイルではありません");
    QTest::newRow("a folder") << "folder"
                              << "ファイルではなくフォルダーです";
    QTest::newRow("a FIFO with a reader") << "read fifo" << notRegular;
    QTest::newRow("a link to /dev/null") << "device" << notRegular;
}

// Save refuses anything but an ordinary file, at once and without hanging;
// once the cause is gone, it writes the whole block.
void tst_Save::realFileFailures()
{
    QFETCH(QString, kind);
    QFETCH(QString, cause);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Lyrmak.dat"));
    const QByteArray native = QFile::encodeName(path);
    int reader = -1;
    if (kind == "folder")
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Lyrmak.dat")));
    else if (kind == "device")
        QVERIFY(QFile::link("/dev/null", path));
    else
        QCOMPARE(::mkfifo(native.constData(), 0600), 0);
    if (kind == "read fifo")
        QVERIFY((reader = ::open(native.constData(), O_RDONLY | O_NONBLOCK)) >= 0);
    FolderFileSystem files(dir.path());
    MainWindowFixture f(&files);
    save(f, QStringLiteral("abc"), {MsgAnswer::Retry, MsgAnswer::Cancel});
    QCOMPARE(prompts(MsgButtons::RetryCancel), QStringList(2, CannotWrite + cause + ": " + path));
    if (reader >= 0)
        ::close(reader);
    QVERIFY(kind == "folder" ? QDir(dir.path()).rmdir("Lyrmak.dat") : QFile::remove(path));
    save(f, QStringLiteral("abc"));
    QFile written(path);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), block("abc"));
}

void tst_Save::readOnlyProgramFolder_data()
{
    QTest::addColumn<FileError::Kind>("refused"); // how the program folder refuses
    QTest::addColumn<QString>("userFolder");      // empty: no home
    QTest::addColumn<Step>("ownStep");            // fails once in the user's folder
    QTest::addColumn<QString>("prompt");          // empty: no box
    QTest::addColumn<QString>("savedTo");         // after Retry
    using K = FileError::Kind;
    const QString home = QStringLiteral("/home/u/.local/share/lyrmak");
    const QString denied = CannotWrite + QStringLiteral("アクセスが拒否されました: ");
    const QString full = CannotWrite + QStringLiteral("ディスクの空き領域が足りません: ");
    const Step none = Step::Open; // never taken on saving
    QTest::newRow("read-only") << K::AccessDenied << home << none << QString() << Own;
    QTest::newRow("other failure") << K::NoSpace << home << none << full + Path << Path;
    QTest::newRow("no home") << K::AccessDenied << QString() << none << denied + Path << Path;
    QTest::newRow("own folder not made")
        << K::AccessDenied << home << Step::MakeFolder << full + Own << Path;
    QTest::newRow("own file not opened")
        << K::AccessDenied << home << Step::AppendOpen << full + Own << Path;
    QTest::newRow("own is the program folder")
        << K::AccessDenied << QStringLiteral("/prog") << none << denied + Path << Path;
}

// Only a refusal of the program folder leads to the user's own folder, and
// the box names the file that failed. Retry starts again at the program
// folder, so it is used as soon as it can be.
void tst_Save::readOnlyProgramFolder()
{
    QFETCH(FileError::Kind, refused);
    QFETCH(QString, userFolder);
    QFETCH(Step, ownStep);
    QFETCH(QString, prompt);
    QFETCH(QString, savedTo);
    MainWindowFixture f;
    f.fs.userFolder = userFolder;
    f.fs.failAt(Step::AppendOpen, Path, 1, 1, FileError::of(refused));
    const QString own = ownStep == Step::MakeFolder ? userFolder : Own;
    f.fs.failAt(ownStep, own, 1, 1, FileError::of(FileError::Kind::NoSpace));
    save(f, QStringLiteral("abc"), {MsgAnswer::Retry});
    QCOMPARE(prompts(MsgButtons::RetryCancel),
             prompt.isEmpty() ? QStringList() : QStringList(prompt));
    QCOMPARE(f.fs.files.value(savedTo), block("abc"));
    QCOMPARE(f.fs.files.value(savedTo == Path ? Own : Path), QByteArray());
}

void tst_Save::outOfMemory_data()
{
    QTest::addColumn<Answers>("answers");
    QTest::addColumn<QByteArray>("written");
    const auto R = MsgAnswer::Retry, C = MsgAnswer::Cancel;
    QTest::newRow("retry") << Answers{R} << block("abc");
    QTest::newRow("retry, cancel") << Answers{R, C} << QByteArray();
}

// A text too large for the memory left: the memory message with Retry, and
// the text stays in the window.
void tst_Save::outOfMemory()
{
    QFETCH(Answers, answers);
    QFETCH(QByteArray, written);
    struct Window : FakeWindow {
        mutable int failures = 0;
        QString text() const override
        {
            if (failures-- > 0)
                throw std::bad_alloc();
            return FakeWindow::text();
        }
    } window;
    window.m_text = QStringLiteral("abc");
    window.failures = written.isNull() ? int(answers.size()) : 1;
    window.answers = answers;
    FakeFileSystem fs;
    LyricSaver(fs, window).save(Path);
    QCOMPARE(window.boxes.size(), answers.size());
    for (const FakeWindow::Box &b : window.boxes)
        QCOMPARE(b.prompt, CannotWrite + QStringLiteral("メモリが足りません"));
    QCOMPARE(fs.files.value(Path), written);
    QCOMPARE(window.m_text, QStringLiteral("abc"));
}

QTEST_MAIN(tst_Save)
#include "tst_save.moc"
