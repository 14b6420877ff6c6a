#include "MainWindowFixture.h"
#include "frmAbout.h"
#include "frmWeb.h"

#include <QClipboard>
#include <QImage>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

using Opt = std::optional<QString>;
Q_DECLARE_METATYPE(Opt)

class tst_MainWindow : public QObject
{
    Q_OBJECT
private slots:
    void design();
    void menuTree();
    void dialogsOpenModally();
    void textModel_data();
    void textModel();
    void selection_data();
    void selection();
    void userSelectionAcrossLines();
    void editCommands_data();
    void editCommands();
    void editMenuEnabling_data();
    void editMenuEnabling();
    void disabledShortcutLeavesKeyToTextArea();
    void exitEndsProgram_data();
    void exitEndsProgram();
    void systemClipboard_data();
    void systemClipboard();
};

void tst_MainWindow::design()
{
    MainWindowFixture f;
    frmLyrmak &w = *f.window;
    QCOMPARE(w.windowTitle(), QStringLiteral("驚異のミルトナ  トルメ編"));
    const Qt::WindowFlags flags = w.windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint && flags & Qt::WindowSystemMenuHint);
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(f.showActive());
    w.resize(800, 600);
    const int bar = w.menuBar()->height();
    QCOMPARE(w.minimumSize(), w.maximumSize());
    QCOMPARE(w.size(), QSize(495, bar + 306));
    QCOMPARE(w.centralWidget()->geometry(), QRect(0, bar, 495, 306));
    QPlainTextEdit *e = f.edit();
    QCOMPARE(e->parentWidget(), w.centralWidget());
    QCOMPARE(e->geometry(), QRect(0, 8, 477, 289));
    QVERIFY(e->horizontalScrollBar()->isVisible() && e->verticalScrollBar()->isVisible());
    QCOMPARE(e->lineWrapMode(), QPlainTextEdit::NoWrap);
    QCOMPARE(QApplication::focusWidget(), e);
    QCOMPARE(f.txt().Text(), QString());
    const QPoint centre = w.screen()->availableGeometry().center();
    QVERIFY((w.geometry().center() - centre).manhattanLength() <= 2);
}

void tst_MainWindow::menuTree()
{
    MainWindowFixture f;
    QStringList tree;
    for (QAction *title : f.window->menuBar()->actions()) {
        tree << title->menu()->objectName() + " " + title->text();
        for (QAction *a : title->menu()->actions()) {
            tree << "  " + a->objectName() + " " + a->text() + " " + a->shortcut().toString();
            QVERIFY(a->isEnabled() && a->isVisible() && !a->isCheckable());
        }
    }
    QCOMPARE(tree,
             (QStringList{"mnuFile 作詞(&F)", "  mnuNew 新規作詞(&N) Ctrl+N",
                          "  mnuRepeat 追加作詞(&R) Ctrl+Y", "  mnuSep1  ",
                          "  mnuFileSave 上書保存(&S) ", "  mnuExit 終了(&X) ", "mnuEdit 編集(&E)",
                          "  mnuCut 切り取り(&T) Ctrl+X", "  mnuCopy コピー(&C) Ctrl+C",
                          "  mnuPaste 貼り付け(&P) Ctrl+V", "  mnuAll すべて選択(&A) Ctrl+A",
                          "mnuHelp ﾍﾙﾌﾟ(&H)", "  mnuMokuji 目次(&C) ", "  mnuWeb Webに接続(&W) ",
                          "  mnuVer ﾊﾞｰｼﾞｮﾝ情報(&A) "}));
    QVERIFY(f.item("mnuSep1")->isSeparator());
}

// Each dialog is created once, without a parent, and shown modally.
void tst_MainWindow::dialogsOpenModally()
{
    MainWindowFixture f;
    QList<QWidget *> opened;
    QTimer closer;
    connect(&closer, &QTimer::timeout, [&] {
        if (QWidget *d = QApplication::activeModalWidget())
            opened << d, d->close();
    });
    closer.start(20);
    for (const char *name : {"mnuVer", "mnuWeb", "mnuVer", "mnuWeb"})
        f.item(name)->trigger();
    QCOMPARE(opened.size(), 4);
    QVERIFY(qobject_cast<frmAbout *>(opened[0]) && qobject_cast<frmWeb *>(opened[1]));
    QVERIFY(opened[0] == opened[2] && opened[1] == opened[3] && !opened[0]->parent());
}

void tst_MainWindow::textModel_data()
{
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out");
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("lines") << "夜空\r\n星\r\n"
                           << "夜空\r\n星\r\n";
    QTest::newRow("only breaks") << "\r\n\r\n"
                                 << "\r\n\r\n";
    QTest::newRow("lone LF and CR") << "a\nb\rc\r\r\n"
                                    << "a\r\nb\r\nc\r\n\r\n";
    QTest::newRow("paragraph separator") << "a\u2029b"
                                         << "a\r\nb";
    QTest::newRow("spaces kept") << " \u00a0\u3000x\t \u2028"
                                 << " \u00a0\u3000x\t \u2028";
    QTest::newRow("outside the BMP") << "😀\r\n😀"
                                     << "😀\r\n😀";
}

void tst_MainWindow::textModel()
{
    QFETCH(QString, in);
    QFETCH(QString, out);
    MainWindowFixture f;
    f.txt().setText(in);
    QCOMPARE(f.txt().Text(), out);
    QCOMPARE(f.txt().textLength(), out.size());
    f.txt().appendText(in);
    QCOMPARE(f.txt().Text(), out + out);
    QCOMPARE(f.txt().textLength(), 2 * out.size());
}

void tst_MainWindow::selection_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<QString>("selText");
    // In "ab\r\ncd\r\nef": a0 b1 CR2 LF3 c4 d5 CR6 LF7 e8 f9.
    QTest::newRow("within a line") << 4 << 2 << 4 << "cd";
    QTest::newRow("across lines") << 1 << 7 << 1 << "b\r\ncd\r\n";
    QTest::newRow("ends between CR and LF") << 1 << 6 << 1 << "b\r\ncd";
    QTest::newRow("starts between CR and LF") << 3 << 3 << 2 << "\r\nc";
    QTest::newRow("past the end") << 8 << 100 << 8 << "ef";
    QTest::newRow("start past the end") << 99 << 1 << 10 << "";
}

void tst_MainWindow::selection()
{
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(int, selStart);
    QFETCH(QString, selText);
    MainWindowFixture f;
    QString text = QStringLiteral("ab\r\ncd\r\nef");
    f.select(text, start, length);
    QCOMPARE(f.txt().SelStart(), selStart);
    QCOMPARE(f.txt().SelLength(), selText.size());
    QCOMPARE(f.txt().SelText(), selText);
    f.txt().setSelText(QStringLiteral("X\nY"));
    QCOMPARE(f.txt().SelStart(), selStart + 4);
    QCOMPARE(f.txt().SelLength(), 0);
    QCOMPARE(f.txt().Text(), text.replace(selStart, selText.size(), QStringLiteral("X\r\nY")));
}

void tst_MainWindow::userSelectionAcrossLines()
{
    MainWindowFixture f;
    f.window->show();
    f.select(QStringLiteral("ab\r\ncd"), 6, 0);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(f.edit(), Qt::Key_Left, Qt::ShiftModifier);
    QCOMPARE(f.txt().SelStart(), 2);
    QCOMPARE(f.txt().SelText(), QStringLiteral("\r\ncd"));
}

void tst_MainWindow::editCommands_data()
{
    QTest::addColumn<QString>("command"); // a key sequence, or a menu item
    QTest::addColumn<QString>("failing");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<Opt>("clip");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selLength");
    QTest::addColumn<Opt>("clipAfter");
    QTest::addColumn<int>("calls");
    const QString t = QStringLiteral("ab\r\ncd"), F = MainWindowFixture::Filling;
    const Opt old = QStringLiteral("old"), none;
    const int end = int(t.size() + F.size());
    auto row = [](const char *name) -> QTestData & { return QTest::newRow(name); };
    row("Ctrl+X") << "Ctrl+X"
                  << "" << 1 << 4 << old << "ad" << 1 << 0 << Opt("b\r\nc") << 2;
    row("Ctrl+X, nothing selected") << "Ctrl+X"
                                    << "" << 1 << 0 << old << t << 1 << 0 << Opt("") << 2;
    row("Ctrl+C") << "Ctrl+C"
                  << "" << 1 << 4 << none << t << 1 << 4 << Opt("b\r\nc") << 2;
    row("Ctrl+V") << "Ctrl+V"
                  << "" << 1 << 4 << Opt("X\nY") << "aX\r\nYd" << 5 << 0 << Opt("X\nY") << 1;
    row("Ctrl+A") << "Ctrl+A"
                  << "" << 4 << 0 << none << t << 0 << 6 << none << 0;
    row("Ctrl+Y") << "Ctrl+Y"
                  << "" << 1 << 4 << none << t + F << end << 0 << none << 0;
    row("Ctrl+N") << "Ctrl+N"
                  << "" << 1 << 4 << none << F << int(F.size()) << 0 << none << 0;
    row("cut all") << "mnuCut"
                   << "" << 0 << 6 << old << "" << 0 << 0 << Opt(t) << 2;
    row("paste, no text") << "mnuPaste"
                          << "" << 1 << 4 << none << "ad" << 1 << 0 << none << 1;
    row("select all") << "mnuAll"
                      << "" << 4 << 0 << none << t << 0 << 6 << none << 0;
    row("cut, clear fails") << "mnuCut"
                            << "Clear" << 1 << 4 << old << t << 1 << 4 << old << 1;
    row("cut, set fails") << "mnuCut"
                          << "SetText" << 1 << 4 << old << t << 1 << 4 << none << 2;
    row("copy, clear fails") << "mnuCopy"
                             << "Clear" << 1 << 4 << old << t << 1 << 4 << old << 1;
    row("paste, get fails") << "mnuPaste"
                            << "GetText" << 1 << 4 << old << t << 1 << 4 << old << 1;
}

// A shortcut key pressed in the focused text area runs its item's handler
// once; the text area's own action for the key never runs, so the system
// clipboard keeps what it held. A failing clipboard step stops the command.
void tst_MainWindow::editCommands()
{
    QFETCH(QString, command);
    QFETCH(QString, failing);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(Opt, clip);
    QFETCH(QString, text);
    QFETCH(int, selStart);
    QFETCH(int, selLength);
    QFETCH(Opt, clipAfter);
    QFETCH(int, calls);
    MainWindowFixture f;
    QVERIFY(f.showActive());
    QGuiApplication::clipboard()->setText(QStringLiteral("system"));
    f.select(QStringLiteral("ab\r\ncd"), start, length);
    f.clipboard.text = clip;
    f.clipboard.failing = {failing};
    if (command.startsWith(QLatin1String("mnu")))
        f.item(qPrintable(command))->trigger();
    else
        QTest::keySequence(f.edit(), QKeySequence(command));
    QCOMPARE(f.txt().Text(), text);
    QCOMPARE(f.txt().SelStart(), selStart);
    QCOMPARE(f.txt().SelLength(), selLength);
    QCOMPARE(f.clipboard.text, clipAfter);
    QCOMPARE(f.clipboard.log.size(), calls);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("system"));
    QCOMPARE(QApplication::focusWidget(), f.edit());
}

void tst_MainWindow::editMenuEnabling_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<Opt>("clip");
    QTest::addColumn<bool>("cut");
    QTest::addColumn<bool>("paste");
    QTest::newRow("nothing selected") << 0 << Opt("x") << false << true;
    QTest::newRow("selected, no text") << 2 << Opt() << true << false;
    QTest::newRow("a line break selected, empty text") << 2 << Opt("") << true << true;
}

// The Edit menu sets Cut, Copy and Paste as it opens, and only then (the
// other menus touch nothing); an unreadable clipboard changes nothing.
void tst_MainWindow::editMenuEnabling()
{
    QFETCH(int, length);
    QFETCH(Opt, clip);
    QFETCH(bool, cut);
    QFETCH(bool, paste);
    MainWindowFixture f;
    const auto states = [&f] {
        return QList<bool>{f.item("mnuCut")->isEnabled(), f.item("mnuCopy")->isEnabled(),
                           f.item("mnuPaste")->isEnabled(), f.item("mnuAll")->isEnabled()};
    };
    f.select(QStringLiteral("a\r\nb"), 1, length);
    f.clipboard.text = clip;
    f.openAndClose("mnuFile");
    f.openAndClose("mnuHelp");
    f.clipboard.failing = {QStringLiteral("GetFormat")};
    f.openAndClose("mnuEdit");
    QCOMPARE(states(), QList<bool>(4, true));
    f.clipboard.failing.clear();
    f.openAndClose("mnuEdit");
    QCOMPARE(states(), (QList<bool>{cut, cut, paste, true}));
    f.select(QStringLiteral("a\r\nb"), 1, 2 - length);
    f.clipboard.text = clip ? Opt() : Opt("x");
    QCOMPARE(states(), (QList<bool>{cut, cut, paste, true}));
    QCOMPARE(f.clipboard.log, (QStringList{"GetFormat", "GetFormat"}));
}

// A disabled item's key is left to the text area, as for any focused widget.
void tst_MainWindow::disabledShortcutLeavesKeyToTextArea()
{
    MainWindowFixture f;
    QVERIFY(f.showActive());
    f.txt().setText(QStringLiteral("abc"));
    f.openAndClose("mnuEdit");
    f.txt().setSelLength(2);
    QTest::keySequence(f.edit(), QKeySequence::Copy);
    QCOMPARE(f.clipboard.log, QStringList{"GetFormat"});
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("ab"));
}

void tst_MainWindow::exitEndsProgram_data()
{
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("Exit") << false;
    QTest::newRow("close box") << true;
}

// No question, nothing saved, exit status 0.
void tst_MainWindow::exitEndsProgram()
{
    QFETCH(bool, closeBox);
    MainWindowFixture f;
    f.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    f.txt().setText(QStringLiteral("unsaved"));
    MessageBox::setNextAnswer(MsgAnswer::Cancel); // a box would be recorded, not shown
    QTimer::singleShot(0, [&] {
        if (closeBox)
            f.window->windowHandle()->close();
        else
            f.item("mnuExit")->trigger();
    });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!f.window->isVisible());
    QCOMPARE(MessageBox::takeShown().size(), 0);
    QCOMPARE(f.fs.calls(FakeFileSystem::Step::AppendOpen, "/prog/Lyrmak.dat"), 0);
}

void tst_MainWindow::systemClipboard_data()
{
    QTest::addColumn<QString>("set"); // null: nothing set after Clear
    QTest::addColumn<bool>("picture");
    QTest::addColumn<bool>("hasText");
    QTest::addColumn<QString>("text");
    QTest::newRow("lines go out with LF") << "a\r\nb\r\n" << false << true << "a\nb\n";
    QTest::newRow("empty text is text") << "" << false << true << "";
    QTest::newRow("cleared") << QString() << false << false << "";
    QTest::newRow("picture only") << QString() << true << false << "";
}

// The real clipboard wrapper, on the platform's own clipboard.
void tst_MainWindow::systemClipboard()
{
    QFETCH(QString, set);
    QFETCH(bool, picture);
    QFETCH(bool, hasText);
    QFETCH(QString, text);
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    Clipboard cb;
    QVERIFY(cb.Clear());
    QVERIFY(set.isNull() || cb.SetText(set));
    if (picture)
        QGuiApplication::clipboard()->setImage(QImage(2, 2, QImage::Format_RGB32));
    QCOMPARE(cb.GetFormat(), std::optional<bool>(hasText));
    QCOMPARE(cb.GetText(), std::optional<QString>(text));
    QCOMPARE(QGuiApplication::clipboard()->text(), text);
}

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
