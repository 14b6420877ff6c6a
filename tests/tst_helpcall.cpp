#include "FakeHelpLauncher.h"
#include "Lyrmak.h"

#include <QFileInfo>
#include <QTest>

class tst_HelpCall : public QObject
{
    Q_OBJECT
private slots:
    void asksForTheContentsTwice();
    void viewerAndIconAreInTheProgramFolder();
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

QTEST_GUILESS_MAIN(tst_HelpCall)
#include "tst_helpcall.moc"
