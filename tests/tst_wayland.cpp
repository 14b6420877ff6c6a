#include "Clipboard.h"
#include "DesktopSession.h"
#include "FolderFileSystem.h"
#include "MtRandom.h"
#include "SystemClock.h"
#include "TextBox.h"
#include "frmLyrmak.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

// The programs under a real Wayland compositor (weston_smoke.sh starts a
// headless weston): the main window on the bundled data fills and saves
// lyrics and opens its dialogs; both programs map their windows under the
// desktop file name, and a second help call hands over to the open viewer.
class tst_Wayland : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void lyricsAndDialogs();
    void programs_data();
    void programs();

private:
    QTemporaryDir m_folder;
};

static const QString AppDir = QStringLiteral(LYRMAK_APP_DIR);

void tst_Wayland::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));
    QVERIFY(m_folder.isValid());
    for (const char *name :
         {"Gi.dat", "Ad.dat", "Vi.dat", "Vt.dat", "No.dat", "Kasi.dat", "LYRMAK.HLP"})
        QVERIFY(QFile::copy(AppDir + '/' + name, m_folder.filePath(name)));
}

void tst_Wayland::lyricsAndDialogs()
{
    FolderFileSystem files(m_folder.path());
    SystemClock clock;
    MtRandom random;
    Clipboard clipboard;
    frmLyrmak window(files, clock, random, clipboard);
    QVERIFY(window.load());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    window.findChild<QAction *>("mnuNew")->trigger();
    QVERIFY(!window.txtMain().Text().trimmed().isEmpty());
    window.findChild<QAction *>("mnuFileSave")->trigger();
    QFile saved(m_folder.filePath(QStringLiteral("Lyrmak.dat")));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY(saved.readAll().startsWith(QByteArray(31, '-') + "\r\n"));

    // Each dialog maps over the main window and closes again.
    const QList<std::pair<const char *, QString>> dialogs{
        {"mnuVer", QStringLiteral("ミルトナのﾊﾞｰｼﾞｮﾝ情報")},
        {"mnuWeb", QStringLiteral("関連のURLにアクセスする")}};
    for (const auto &[item, title] : dialogs) {
        QString shown;
        QTimer::singleShot(0, this, [&] {
            QWidget *dialog = nullptr;
            if (QTest::qWaitFor([&] { return (dialog = QApplication::activeModalWidget()); }) &&
                QTest::qWaitForWindowExposed(dialog)) {
                shown = dialog->windowTitle();
            }
            if (auto *d = qobject_cast<QDialog *>(dialog))
                d->reject();
        });
        window.findChild<QAction *>(item)->trigger();
        QCOMPARE(shown, title);
    }
}

void tst_Wayland::programs_data()
{
    QTest::addColumn<QStringList>("command");
    QTest::newRow("lyrmak") << QStringList{AppDir + QStringLiteral("/lyrmak")};
    QTest::newRow("lyrmak-help") << QStringList{AppDir + QStringLiteral("/lyrmak-help"),
                                                QStringLiteral("--contents"),
                                                m_folder.filePath("LYRMAK.HLP")};
}

// Docks find the desktop entry through the app id; both programs use it. A
// second help call hands over to the open viewer and ends.
void tst_Wayland::programs()
{
    QFETCH(QStringList, command);
    // The client side of its Wayland traffic comes on stderr: the program
    // asks for a toplevel window under the app id and draws into it.
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("WAYLAND_DEBUG"), QStringLiteral("client"));
    program.setProcessEnvironment(env);
    program.start(command.first(), command.mid(1));
    const auto end = qScopeGuard([&] {
        program.kill();
        program.waitForFinished();
    });
    QByteArray trace;
    QVERIFY(QTest::qWaitFor(
        [&] {
            trace += program.readAllStandardError();
            const qsizetype named = trace.indexOf("set_app_id(\"lyrmak\")");
            return named >= 0 && trace.indexOf(".attach(wl_buffer", named) > named;
        },
        10000));
    if (command.contains(QStringLiteral("--contents"))) {
        QProcess second;
        second.start(command.first(), command.mid(1));
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitCode(), 0);
    }
    QCOMPARE(program.state(), QProcess::Running);
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    DesktopSession::setUp();
    tst_Wayland test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_wayland.moc"
