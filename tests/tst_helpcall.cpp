#include "FakeHelpLauncher.h"
#include "HelpInstance.h"
#include "Lyrmak.h"
#include "NativePath.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <cstdio>
#include <sys/stat.h>

class tst_HelpCall : public QObject
{
    Q_OBJECT
private slots:
    void asksForTheContentsTwice();
    void viewerAndIconAreInTheProgramFolder();
    void oneViewerPerFile_data();
    void oneViewerPerFile();
};

// The path exactly as given, whatever it holds; a second call is the same
// call again, nothing is counted or kept.
void tst_HelpCall::asksForTheContentsTwice()
{
    const QString path = QStringLiteral("/tmp/花子 a;b $(x) 'c'/LYRMAK.HLP");
    FakeHelpLauncher viewer;
    Lyrmak::ShowHelp(path);
    Lyrmak::ShowHelp(path);
    QCOMPARE(viewer.requests.size(), 2);
    for (const HelpLauncher::Request &r : viewer.requests) {
        QCOMPARE(r.owner, nullptr);
        QCOMPARE(r.helpFile, path);
        QCOMPARE(r.command, quint32(11));
        QCOMPARE(r.data, quintptr(0));
    }
}

void tst_HelpCall::viewerAndIconAreInTheProgramFolder()
{
    const QFileInfo viewer(QStringLiteral(LYRMAK_APP_DIR "/lyrmak-help"));
    QVERIFY(viewer.isFile() && viewer.isExecutable());
    QVERIFY(QFileInfo(QStringLiteral(LYRMAK_APP_DIR "/lyrmak.png")).isFile());
}

// Help asked for again while the viewer of that file runs, is stopped (as a
// viewer stuck in a long job is) or was killed: only a dead viewer is
// replaced; otherwise the new start hands over and ends.
void tst_HelpCall::oneViewerPerFile_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("secondStays");
    QTest::addColumn<QByteArray>("folder"); // where LYRMAK.HLP is, in the temporary folder
    QTest::newRow("running") << 0 << false << QByteArray(".");
    QTest::newRow("stopped") << int(SIGSTOP) << false << QByteArray(".");
    QTest::newRow("killed") << int(SIGKILL) << true << QByteArray(".");
    QTest::newRow("running, folder not UTF-8") << 0 << false << QByteArray("caf\xe9");
}

void tst_HelpCall::oneViewerPerFile()
{
    QFETCH(int, signal);
    QFETCH(bool, secondStays);
    QFETCH(QByteArray, folder);
    QTemporaryDir runtime, root;
    const QByteArray dir = QFile::encodeName(root.path()) + '/' + folder;
    const QByteArray help = dir + "/LYRMAK.HLP";
    ::mkdir(dir.constData(), 0700);
    // QTemporaryDir removes only what Qt can name.
    const auto cleanUp = qScopeGuard([&] {
        ::unlink(help.constData());
        ::rmdir(dir.constData());
    });
    FILE *file = ::fopen(help.constData(), "w");
    QVERIFY(file && ::fputs("<html><h2>A</h2></html>", file) >= 0);
    ::fclose(file);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const QString viewer = QStringLiteral(LYRMAK_APP_DIR "/lyrmak-help");
    // Through the shell, so that the path reaches the viewer as bytes.
    QByteArray octal;
    for (const char c : help)
        octal += '\\' + QByteArray::number(uchar(c), 8);
    const QStringList args{"-c", "exec \"$0\" --contents -- \"$(printf \"$1\")\"", viewer,
                           QString::fromLatin1(octal)};
    QProcess first, second;
    first.setProcessEnvironment(env);
    second.setProcessEnvironment(env);
    first.start(QStringLiteral("/bin/sh"), args);
    // Its lock and its socket show that it holds the file.
    QTRY_COMPARE_WITH_TIMEOUT(QDir(runtime.path()).entryList(QDir::System | QDir::Files).size(), 2,
                              10000);
    if (signal)
        ::kill(pid_t(first.processId()), signal);
    if (signal == SIGKILL)
        QVERIFY(first.waitForFinished(5000));
    // The viewer holds this very file, not one with its odd bytes replaced.
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    if (!signal)
        QCOMPARE(HelpInstance(NativePath::fromNative(help)).claim(), HelpInstance::Role::Elsewhere);
    second.start(QStringLiteral("/bin/sh"), args);
    QCOMPARE(!second.waitForFinished(secondStays ? 1500 : 10000), secondStays);
    QCOMPARE(second.exitCode(), 0);
    for (QProcess *p : {&first, &second}) {
        if (p->state() != QProcess::NotRunning) {
            ::kill(pid_t(p->processId()), SIGKILL);
            p->waitForFinished(5000);
        }
    }
}

QTEST_GUILESS_MAIN(tst_HelpCall)
#include "tst_helpcall.moc"
