#include "FakeHelpLauncher.h"
#include "Lyrmak.h"

#include <QFileInfo>
#include <QTest>

class tst_HelpCall : public QObject
{
    Q_OBJECT
private slots:
    void asksForTheContentsTwice_data();
    void asksForTheContentsTwice();
    void viewerAndIconAreInTheProgramFolder();
};

void tst_HelpCall::asksForTheContentsTwice_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("ordinary folder") << "/opt/lyrmak/LYRMAK.HLP";
    QTest::newRow("Japanese and spaces") << "/home/花子/my lyrics/LYRMAK.HLP";
    QTest::newRow("shell characters") << "/tmp/a;b $(x) 'c'/LYRMAK.HLP";
    QTest::newRow("file gone since start-up") << "/nonexistent/LYRMAK.HLP";
}

// Exactly the path, no owner window, the contents command 11 and data 0; a
// second call is the same call again, nothing is counted or kept.
void tst_HelpCall::asksForTheContentsTwice()
{
    QFETCH(QString, path);
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

// The help call starts the viewer from the program's own folder, and the
// desktop entry takes the icon from there.
void tst_HelpCall::viewerAndIconAreInTheProgramFolder()
{
    const QFileInfo viewer(QStringLiteral(LYRMAK_APP_DIR "/lyrmak-help"));
    QVERIFY2(viewer.isFile() && viewer.isExecutable(), qPrintable(viewer.filePath()));
    QVERIFY(QFileInfo(QStringLiteral(LYRMAK_APP_DIR "/lyrmak.png")).isFile());
}

QTEST_GUILESS_MAIN(tst_HelpCall)
#include "tst_helpcall.moc"
