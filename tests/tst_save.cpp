#include "FolderFileSystem.h"
#include "MainWindowFixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using Step = FakeFileSystem::Step;
using Answers = QList<MsgAnswer>;
Q_DECLARE_METATYPE(Step)

namespace
{

const QString Path = QStringLiteral("/prog/Lyrmak.dat");
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
    void realFileFailures_data();
    void realFileFailures();
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
    QTest::addColumn<int>("call");
    QTest::addColumn<Answers>("answers");
    QTest::addColumn<QByteArray>("written");
    const auto R = MsgAnswer::Retry, C = MsgAnswer::Cancel;
    const QByteArray all = block("abc");
    QTest::newRow("open, retry") << Step::AppendOpen << 1 << Answers{R} << all;
    QTest::newRow("separator, retry") << Step::Write << 1 << Answers{R} << all;
    QTest::newRow("first copy, retry") << Step::Write << 2 << Answers{R} << all;
    QTest::newRow("second copy, retry twice") << Step::Write << 3 << Answers{R, R} << all;
    QTest::newRow("close, retry") << Step::AppendClose << 1 << Answers{R} << all;
    QTest::newRow("open, cancel") << Step::AppendOpen << 1 << Answers{C} << QByteArray();
    QTest::newRow("separator, cancel") << Step::Write << 1 << Answers{C} << QByteArray("");
    QTest::newRow("second copy, cancel") << Step::Write << 3 << Answers{R, C} << all.chopped(5);
    QTest::newRow("close, cancel") << Step::AppendClose << 1 << Answers{C} << all;
}

// Retry repeats the failed step alone; Cancel keeps what was written, gives
// the file up, and the next Save works as usual.
void tst_Save::failingStep()
{
    QFETCH(Step, step);
    QFETCH(int, call);
    QFETCH(Answers, answers);
    QFETCH(QByteArray, written);
    MainWindowFixture f;
    f.fs.failAt(step, Path, call, answers.size(), FileError::of(FileError::Kind::NoSpace));
    save(f, QStringLiteral("abc"), answers);
    const QString prompt = CannotWrite + QStringLiteral("ディスクの空き領域が足りません");
    QCOMPARE(prompts(MsgButtons::RetryCancel), QStringList(answers.size(), prompt));
    QCOMPARE(f.fs.files.value(Path), written);
    QCOMPARE(f.fs.files.contains(Path), !written.isNull());
    const bool gaveUp = answers.last() == MsgAnswer::Cancel;
    QCOMPARE(f.fs.log.contains("discard " + Path), gaveUp && step != Step::AppendOpen);
    save(f, QStringLiteral("abc"));
    QCOMPARE(f.fs.files.value(Path), written + block("abc"));
}

void tst_Save::realFileFailures_data()
{
    QTest::addColumn<bool>("folder");
    QTest::addColumn<QString>("cause");
    QTest::newRow("Lyrmak.dat is a folder") << true << "ファイルではなくフォルダーです";
    QTest::newRow("Lyrmak.dat links to /dev/full") << false << "ディスクの空き領域が足りません";
}

// Once the cause is gone, Save writes the whole block.
void tst_Save::realFileFailures()
{
    QFETCH(bool, folder);
    QFETCH(QString, cause);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Lyrmak.dat"));
    if (folder)
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Lyrmak.dat")));
    else if (!QFile::exists(QStringLiteral("/dev/full")) || !QFile::link("/dev/full", path))
        QSKIP("no /dev/full");
    FolderFileSystem files(dir.path());
    MainWindowFixture f(&files);
    save(f, QStringLiteral("abc"), {MsgAnswer::Retry, MsgAnswer::Cancel});
    QCOMPARE(prompts(MsgButtons::RetryCancel), QStringList(2, CannotWrite + cause));
    QVERIFY(folder ? QDir(dir.path()).rmdir("Lyrmak.dat") : QFile::remove(path));
    save(f, QStringLiteral("abc"));
    QFile written(path);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), block("abc"));
}

QTEST_MAIN(tst_Save)
#include "tst_save.moc"
