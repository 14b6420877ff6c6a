#include "MainWindowFixture.h"
#include "PosixFileSystem.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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

// Real files, with a temporary folder as the program folder.
class FolderFileSystem : public PosixFileSystem
{
public:
    explicit FolderFileSystem(QString folder) : m_folder(std::move(folder)) {}
    QString programFolder() const override { return m_folder; }

private:
    QString m_folder;
};

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
    for (const MessageBox::Shown &s : MessageBox::takeShown()) {
        seen << s.prompt;
        if (s.buttons != buttons || s.icon != MsgIcon::Critical || s.title != "ミルトナ")
            seen << "(wrong box)";
    }
    return seen;
}

} // namespace

class tst_Save : public QObject
{
    Q_OBJECT
private slots:
    void writesBlocks_data();
    void writesBlocks();
    void nothingWritten_data();
    void nothingWritten();
    void failingStep_data();
    void failingStep();
    void realFileFailures_data();
    void realFileFailures();
};

void tst_Save::writesBlocks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("three letters") << "abc" << QByteArray("abc");
    QTest::newRow("only line breaks") << "\r\n\r\n" << QByteArray("\r\n\r\n");
    QTest::newRow("spaces kept") << " \u3000a\t "
                                 << QByteArray(" \x81\x40"
                                               "a\t ");
    QTest::newRow("japanese") << "夜空に\r\nｷﾗｷﾗ星～－"
                              << QByteArray("\x96\xe9\x8b\xf3\x82\xc9\r\n\xb7\xd7\xb7\xd7\x90\xaf"
                                            "\x81\x60\x81\x7c");
}

// Two Saves of the same text append two identical blocks behind what the
// file already held.
void tst_Save::writesBlocks()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    MainWindowFixture f;
    f.fs.files[Path] = "old\r\n";
    save(f, text);
    save(f, text);
    QCOMPARE(f.fs.files[Path], "old\r\n" + block(bytes) + block(bytes));
    QCOMPARE(prompts(MsgButtons::Ok), QStringList());
    QCOMPARE(block("abc").size(), 43);
}

void tst_Save::nothingWritten_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("prompt");
    const QString empty = QStringLiteral("歌詞データが存在しません");
    QTest::newRow("empty") << "" << empty;
    QTest::newRow("spaces") << " \u3000 \u3000" << empty;
    QTest::newRow("emoji") << "歌\r\n😀😀"
                           << CannotWrite + "「😀」（U+1F600）は Shift-JIS で書けない文字です";
    QTest::newRow("first of two") << "a한😀"
                                  << CannotWrite +
                                         "「한」（U+D55C）は Shift-JIS で書けない文字です";
}

void tst_Save::nothingWritten()
{
    QFETCH(QString, text);
    QFETCH(QString, prompt);
    MainWindowFixture f;
    save(f, text, {MsgAnswer::Ok});
    QCOMPARE(prompts(MsgButtons::Ok), QStringList{prompt});
    QCOMPARE(f.fs.calls(Step::AppendOpen, Path), 0);
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
    // Once the cause is gone, Save writes the whole block.
    QVERIFY(folder ? QDir(dir.path()).rmdir("Lyrmak.dat") : QFile::remove(path));
    save(f, QStringLiteral("abc"));
    QFile written(path);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), block("abc"));
}

QTEST_MAIN(tst_Save)
#include "tst_save.moc"
