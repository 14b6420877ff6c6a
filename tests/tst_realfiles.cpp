#include "PosixAppendFile.h"
#include "PosixTextReader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

namespace
{

QString testData(const char *name)
{
    return QStringLiteral(LYRMAK_TEST_DATA_DIR "/") + QString::fromLatin1(name);
}

// Reads every line; returns the lines and the error that stopped the reading.
QStringList readAll(const QString &path, FileError &error)
{
    PosixTextReader r;
    QStringList lines;
    error = r.open(path);
    if (!error.ok())
        return lines;
    for (;;) {
        bool end = false;
        if (error = r.atEnd(end); !error.ok() || end)
            break;
        QString line;
        if (error = r.readLine(line); !error.ok())
            break;
        lines << line;
    }
    r.close();
    return lines;
}

} // namespace

class tst_RealFiles : public QObject
{
    Q_OBJECT
private slots:
    void read_data();
    void read();
    void readFailures_data();
    void readFailures();
    void longLine();
    void readPastEnd();
    void append();
    void appendFailures_data();
    void appendFailures();
};

void tst_RealFiles::read_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("cp932 crlf") << "words_crlf.dat"
                                << QStringList{"'コメント", "きらきら", "", " ' 空白で始まる",
                                               "ふわり"};
    QTest::newRow("lf") << "words_lf.dat" << QStringList{"'comment", "いち", "に", "さん"};
    QTest::newRow("cr") << "words_cr.dat" << QStringList{"いち", "に", "さん"};
    QTest::newRow("utf8 bom") << "words_utf8_bom.dat" << QStringList{"いち", "に"};
    QTest::newRow("utf8") << "words_utf8.dat" << QStringList{"いち", "に"};
    QTest::newRow("nul") << "words_nul.dat" << QStringList{QString("a") + QChar(0) + "b", "c"};
    QTest::newRow("empty") << "words_empty.dat" << QStringList{};
}

void tst_RealFiles::read()
{
    QFETCH(QString, file);
    QFETCH(QStringList, lines);
    FileError e;
    QCOMPARE(readAll(testData(qPrintable(file)), e), lines);
    QVERIFY2(e.ok(), qPrintable(e.description()));
}

void tst_RealFiles::readFailures_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("goodLines");
    QTest::newRow("missing") << "no_such.dat" << int(FileError::Kind::NotFound) << 0;
    QTest::newRow("folder") << "." << int(FileError::Kind::IsFolder) << 0;
    QTest::newRow("invalid cp932") << "words_bad_cp932.dat" << int(FileError::Kind::BadBytes) << 1;
    QTest::newRow("ends inside a character")
        << "words_truncated.dat" << int(FileError::Kind::BadBytes) << 1;
}

void tst_RealFiles::readFailures()
{
    QFETCH(QString, file);
    QFETCH(int, kind);
    QFETCH(int, goodLines);
    FileError e;
    const QStringList lines = readAll(testData(qPrintable(file)), e);
    QCOMPARE(int(e.kind), kind);
    QCOMPARE(lines.size(), goodLines);
    QVERIFY(!e.description().isEmpty());
}

void tst_RealFiles::longLine()
{
    QTemporaryDir dir;
    const QString p = dir.filePath(QStringLiteral("long.dat"));
    QFile f(p);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(10 * 1024 * 1024, 'x'));
    f.close();
    FileError e;
    const QStringList lines = readAll(p, e);
    QVERIFY(e.ok());
    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines[0].size(), 10 * 1024 * 1024);
}

void tst_RealFiles::readPastEnd()
{
    PosixTextReader r;
    QVERIFY(r.open(testData("words_cr.dat")).ok());
    QString line;
    for (int i = 0; i < 3; ++i)
        QVERIFY(r.readLine(line).ok());
    QCOMPARE(r.readLine(line).kind, FileError::Kind::PastEnd);
    QCOMPARE(r.readLine(line).kind, FileError::Kind::PastEnd); // and again on Retry
}

void tst_RealFiles::append()
{
    QTemporaryDir dir;
    const QString p = dir.filePath(QStringLiteral("Lyrmak.dat"));
    for (int round = 0; round < 2; ++round) {
        PosixAppendFile f;
        QVERIFY(f.open(p).ok());
        QVERIFY(f.write("abc\r\n").ok());
        QVERIFY(f.close().ok());
        QVERIFY(!f.isOpen());
    }
    QFile in(p);
    QVERIFY(in.open(QIODevice::ReadOnly));
    QCOMPARE(in.readAll(), QByteArray("abc\r\nabc\r\n"));
}

void tst_RealFiles::appendFailures_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<int>("openKind");
    QTest::addColumn<int>("writeKind");
    QTest::newRow("folder") << "folder" << int(FileError::Kind::IsFolder) << 0;
    QTest::newRow("missing folder") << "missing" << int(FileError::Kind::NotFound) << 0;
    QTest::newRow("read-only file") << "readonly" << int(FileError::Kind::AccessDenied) << 0;
    QTest::newRow("full device") << "full" << 0 << int(FileError::Kind::NoSpace);
}

void tst_RealFiles::appendFailures()
{
    QFETCH(QString, what);
    QFETCH(int, openKind);
    QFETCH(int, writeKind);
    if (what == QLatin1String("readonly") && geteuid() == 0)
        QSKIP("root writes to read-only files");
    QTemporaryDir dir;
    QString p = dir.filePath(QStringLiteral("Lyrmak.dat"));
    if (what == QLatin1String("folder"))
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Lyrmak.dat")));
    else if (what == QLatin1String("missing"))
        p = dir.filePath(QStringLiteral("gone/Lyrmak.dat"));
    else if (what == QLatin1String("full"))
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), p));
    else if (what == QLatin1String("readonly")) {
        QFile f(p);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QFile::setPermissions(p, QFile::ReadOwner);
    }
    PosixAppendFile f;
    const FileError o = f.open(p);
    QCOMPARE(int(o.kind), openKind);
    if (!o.ok())
        return;
    const FileError w = f.write("abc\r\n");
    QCOMPARE(int(w.kind), writeKind);
    QVERIFY(!w.description().isEmpty());
    f.discard();
    QVERIFY(!f.isOpen());
}

QTEST_APPLESS_MAIN(tst_RealFiles)
#include "tst_realfiles.moc"
