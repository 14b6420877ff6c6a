#include "FakeHelpLauncher.h"
#include "Lyrmak.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

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
    QTest::newRow("running") << 0 << false;
    QTest::newRow("stopped") << int(SIGSTOP) << false;
    QTest::newRow("killed") << int(SIGKILL) << true;
}

void tst_HelpCall::oneViewerPerFile()
{
    QFETCH(int, signal);
    QFETCH(bool, secondStays);
    QTemporaryDir runtime, folder;
    const QString help = folder.filePath(QStringLiteral("LYRMAK.HLP"));
    QFile file(help);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("<html><h2>A</h2></html>") > 0);
    file.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const QString viewer = QStringLiteral(LYRMAK_APP_DIR "/lyrmak-help");
    const QStringList args{QStringLiteral("--contents"), QStringLiteral("--"), help};
    QProcess first, second;
    first.setProcessEnvironment(env);
    second.setProcessEnvironment(env);
    first.start(viewer, args);
    // Its lock and its socket show that it holds the file.
    QTRY_COMPARE_WITH_TIMEOUT(QDir(runtime.path()).entryList(QDir::System | QDir::Files).size(), 2,
                              10000);
    if (signal)
        ::kill(pid_t(first.processId()), signal);
    if (signal == SIGKILL)
        QVERIFY(first.waitForFinished(5000));
    second.start(viewer, args);
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
