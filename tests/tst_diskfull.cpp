#include "PosixAppendFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/mount.h>

namespace
{

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

} // namespace

// Appending on real file systems that fail: a full disk and a folder that
// disappears. Whatever fails, what was saved before stays byte for byte, and
// a retried write goes on exactly where it stopped.
class tst_DiskFull : public QObject
{
    Q_OBJECT
private slots:
    void fullDiskThenRetry();
    void folderRemovedThenRestored();
};

void tst_DiskFull::fullDiskThenRetry()
{
    QTemporaryDir dir;
    const QByteArray mountPoint = QFile::encodeName(dir.path());
    if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=64k") != 0)
        QSKIP("cannot mount a small file system here");
    const QString saved = dir.filePath(QStringLiteral("Lyrmak.dat"));
    const QString filler = dir.filePath(QStringLiteral("filler"));
    const QByteArray before = "-------------------------------\r\n前の歌詞\r\n";
    writeFile(saved, before);
    // Fill the disk to the last byte.
    {
        QFile f(filler);
        QVERIFY(f.open(QIODevice::WriteOnly));
        const QByteArray chunk(512, 'x');
        while (f.write(chunk) == chunk.size() && f.flush()) {
        }
    }

    const QByteArray line(6000, 'a');
    PosixAppendFile out;
    QVERIFY(out.open(saved).ok());
    const FileError full = out.write(line);
    QCOMPARE(full.kind, FileError::Kind::NoSpace);
    QCOMPARE(out.write(line).kind, FileError::Kind::NoSpace); // and again
    QVERIFY(readFile(saved).startsWith(before));

    // Room again: Retry finishes the line without writing any part twice.
    QVERIFY(QFile::remove(filler));
    QVERIFY(out.write(line).ok());
    QVERIFY(out.close().ok());
    QCOMPARE(readFile(saved), before + line);
    ::umount(mountPoint.constData());
}

void tst_DiskFull::folderRemovedThenRestored()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("prog"));
    QVERIFY(QDir().mkpath(folder));
    const QString saved = folder + QStringLiteral("/Lyrmak.dat");
    QVERIFY(QDir(folder).removeRecursively());

    PosixAppendFile out;
    QCOMPARE(out.open(saved).kind, FileError::Kind::NotFound);
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(out.open(saved).ok());
    QVERIFY(out.write("abc\r\n").ok());
    QVERIFY(out.close().ok());
    QCOMPARE(readFile(saved), QByteArray("abc\r\n"));
}

QTEST_APPLESS_MAIN(tst_DiskFull)
#include "tst_diskfull.moc"
