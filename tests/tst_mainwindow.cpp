#include "MainWindowFixture.h"
#include "frmAbout.h"
#include "frmWeb.h"

#include <QClipboard>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>

using Opt = std::optional<QString>;
Q_DECLARE_METATYPE(Opt)

// Keys pressed in the text area holding `in` with a selection and the fake
// clipboard holding `clip`; the text, selection and clipboard after them.
struct Edit {
    QString keys, in;
    int start, length;
    Opt clip;
    QString text;
    int selStart, selLength;
    Opt clipAfter;
    int calls; // to the fake clipboard
    QString failing = {};
};
Q_DECLARE_METATYPE(Edit)

class tst_MainWindow : public QObject
{
    Q_OBJECT
private slots:
    void design();
    void helpDialogs();
    void editCommands_data();
    void editCommands();
    void exitEndsProgram_data();
    void exitEndsProgram();
    void systemClipboard_data();
    void systemClipboard();
    void lyricCommands_data();
    void lyricCommands();
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
    QCOMPARE(w.size(), QSize(495, bar + 306));
    QPlainTextEdit *e = f.txt().widget();
    QCOMPARE(QRect(e->mapTo(&w, QPoint()), e->size()), QRect(0, bar + 8, 477, 289));
    QVERIFY(e->horizontalScrollBar()->isVisible() && e->verticalScrollBar()->isVisible());
    QCOMPARE(e->lineWrapMode(), QPlainTextEdit::NoWrap);
    QCOMPARE(QApplication::focusWidget(), e);
    QCOMPARE(f.txt().Text(), QString());
    const QPoint centre = w.screen()->availableGeometry().center();
    QVERIFY((w.frameGeometry().center() - centre).manhattanLength() <= 2);

    QStringList tree;
    for (QAction *title : w.menuBar()->actions()) {
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

// The Help items open their dialogs, each created once and without a parent.
void tst_MainWindow::helpDialogs()
{
    MainWindowFixture f;
    QList<QWidget *> opened;
    QTimer closer;
    connect(&closer, &QTimer::timeout, [&] {
        if (QWidget *d = QApplication::activeModalWidget())
            opened << d, d->close();
    });
    closer.start(20);
    for (const char *name : {"mnuVer", "mnuWeb", "mnuVer"})
        f.item(name)->trigger();
    QCOMPARE(opened.size(), 3);
    QVERIFY(qobject_cast<frmAbout *>(opened[0]) && qobject_cast<frmWeb *>(opened[1]));
    QVERIFY(opened[0] == opened[2] && !opened[0]->parent() && !opened[1]->parent());
}

void tst_MainWindow::editCommands_data()
{
    QTest::addColumn<Edit>("e");
    // In t: a0 b1 CR2 LF3 c4 d5 CR6 LF7 e8 f9.
    const QString t = QStringLiteral("ab\r\ncd\r\nef"), F = MainWindowFixture::Filling;
    const QString lone = QStringLiteral("a\r\nb\r\nc\r\n\r\n");
    const QString spaces = QStringLiteral(" \u00a0\u3000x\t \u2007");
    const QString X = "Ctrl+X", C = "Ctrl+C", V = "Ctrl+V";
    const Opt old = QStringLiteral("old"), n;
    QTest::newRow("copy within a line") << Edit{C, t, 4, 2, n, t, 4, 2, "cd", 2};
    QTest::newRow("copy across lines") << Edit{C, t, 1, 7, n, t, 1, 7, "b\r\ncd\r\n", 2};
    QTest::newRow("copy past the end") << Edit{C, t, 8, 100, n, t, 8, 2, "ef", 2};
    QTest::newRow("copy from past the end") << Edit{C, t, 99, 1, n, t, 10, 0, "", 2};
    QTest::newRow("lone LF and CR") << Edit{C, "a\nb\rc\r\r\n", 0, 99, n, lone, 0, 11, lone, 2};
    QTest::newRow("U+2029 breaks") << Edit{C, "a\u2029b", 0, 9, n, "a\r\nb", 0, 4, "a\r\nb", 2};
    QTest::newRow("U+2028 and NEL break")
        << Edit{C, "a\u2028b\u0085", 0, 9, n, "a\r\nb\r\n", 0, 6, "a\r\nb\r\n", 2};
    QTest::newRow("Shift+Enter breaks the line")
        << Edit{"Shift+Return", "ab", 1, 0, n, "a\r\nb", 3, 0, n, 0};
    QTest::newRow("paste a U+2028")
        << Edit{V, "ab", 1, 0, "x\u2028y", "ax\r\nyb", 5, 0, "x\u2028y", 1};
    QTest::newRow("spaces kept") << Edit{C, spaces, 0, 9, n, spaces, 0, 7, spaces, 2};
    QTest::newRow("cut") << Edit{X, t, 1, 4, old, "ad\r\nef", 1, 0, "b\r\nc", 2};
    QTest::newRow("cut, nothing selected") << Edit{X, t, 1, 0, old, t, 1, 0, "", 2};
    QTest::newRow("cut to mid CR LF") << Edit{X, t, 1, 6, n, "a\r\nef", 1, 0, "b\r\ncd", 2};
    QTest::newRow("cut from mid CR LF") << Edit{X, t, 3, 3, n, "abd\r\nef", 2, 0, "\r\nc", 2};
    QTest::newRow("cut a break") << Edit{X, "\r\n\r\n", 2, 9, n, "\r\n", 2, 0, "\r\n", 2};
    QTest::newRow("cut outside the BMP") << Edit{X, "😀\r\n😀", 2, 4, n, "😀", 2, 0, "\r\n😀", 2};
    QTest::newRow("paste") << Edit{V, t, 1, 4, "X\nY", "aX\r\nYd\r\nef", 5, 0, "X\nY", 1};
    QTest::newRow("paste, no text") << Edit{V, t, 1, 4, n, "ad\r\nef", 1, 0, n, 1};
    QTest::newRow("select all") << Edit{"Ctrl+A", t, 4, 0, n, t, 0, 10, n, 0};
    QTest::newRow("repeat") << Edit{"Ctrl+Y", t, 1, 4, n, t + F, int(t.size() + F.size()), 0, n, 0};
    QTest::newRow("new") << Edit{"Ctrl+N", t, 1, 4, n, F, int(F.size()), 0, n, 0};
    QTest::newRow("select across lines by keys")
        << Edit{"Shift+Left, Shift+Left, Shift+Left", t, 6, 0, n, t, 2, 4, n, 0};
    QTest::newRow("cut, clear fails") << Edit{X, t, 1, 4, old, t, 1, 4, old, 1, "Clear"};
    QTest::newRow("cut, set fails") << Edit{X, t, 1, 4, old, t, 1, 4, n, 2, "SetText"};
    QTest::newRow("copy, clear fails") << Edit{C, t, 1, 4, old, t, 1, 4, old, 1, "Clear"};
    QTest::newRow("paste, get fails") << Edit{V, t, 1, 4, old, t, 1, 4, old, 1, "GetText"};
}

// A shortcut key pressed in the focused text area runs its item's handler
// once; the text area's own action for the key never runs, so the system
// clipboard keeps what it held. A failing clipboard step stops the command.
// Text and positions count each line break as CR LF.
void tst_MainWindow::editCommands()
{
    QFETCH(Edit, e);
    MainWindowFixture f;
    QVERIFY(f.showActive());
    QClipboard *system = QGuiApplication::clipboard();
    system->setText(QStringLiteral("system"));
    f.txt().setText(e.in);
    f.txt().setSelStart(e.start);
    f.txt().setSelLength(e.length);
    f.clipboard.text = e.clip;
    f.clipboard.failing = {e.failing};
    QTest::keySequence(f.txt().widget(), QKeySequence(e.keys));
    QCOMPARE(f.txt().Text(), e.text);
    QCOMPARE(f.txt().SelStart(), e.selStart);
    QCOMPARE(f.txt().SelLength(), e.selLength);
    QCOMPARE(f.clipboard.text, e.clipAfter);
    QCOMPARE(f.clipboard.log.size(), e.calls);
    QCOMPARE(system->text(), QStringLiteral("system"));
    QCOMPARE(QApplication::focusWidget(), f.txt().widget());

    // Opening the Edit menu, and nothing else, sets Cut, Copy and Paste; an
    // unreadable clipboard changes nothing. A disabled item's key is left to
    // the text area.
    const auto open = [&f](const char *name) {
        f.window->findChild<QMenu *>(name)->popup(QPoint());
        QApplication::activePopupWidget()->close();
    };
    const auto items = [&f] {
        return QList<bool>{f.item("mnuCut")->isEnabled(), f.item("mnuCopy")->isEnabled(),
                           f.item("mnuPaste")->isEnabled(), f.item("mnuAll")->isEnabled()};
    };
    const bool cut = e.selLength > 0, paste = e.clipAfter.has_value();
    open("mnuFile");
    open("mnuHelp");
    f.clipboard.failing = {QStringLiteral("GetFormat")};
    open("mnuEdit");
    QCOMPARE(items(), QList<bool>(4, true));
    f.clipboard.failing.clear();
    open("mnuEdit");
    f.txt().setSelStart(0);
    f.txt().setSelLength(99);
    f.clipboard.text = paste ? Opt() : Opt("x");
    QCOMPARE(items(), (QList<bool>{cut, cut, paste, true}));
    QTest::keySequence(f.txt().widget(), QKeySequence::Copy);
    QCOMPARE(f.clipboard.text == f.txt().Text(), cut);
    QCOMPARE(system->text() == QStringLiteral("system"), cut);
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
    QVERIFY(f.showActive());
    f.txt().setText(QStringLiteral("unsaved"));
    MessageBox::setNextAnswer(MsgAnswer::Cancel); // a box would be recorded, not shown
    QTimer::singleShot(0, [&] {
        if (closeBox)
            f.window->windowHandle()->close();
        else
            f.item("mnuExit")->trigger();
    });
    QCOMPARE(QApplication::exec(), 0);
    QCOMPARE(MessageBox::takeShown().size(), 0);
    QCOMPARE(f.fs.calls(FakeFileSystem::Step::AppendOpen, "/prog/Lyrmak.dat"), 0);
}

void tst_MainWindow::systemClipboard_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<Opt>("text"); // nullopt: not text
    QTest::newRow("plain text") << "text/plain" << Opt("a\nb");
    QTest::newRow("empty text") << "text/plain" << Opt("");
    QTest::newRow("file list") << "text/uri-list" << Opt();
    QTest::newRow("picture") << "image/png" << Opt();
    QTest::newRow("page") << "text/html" << Opt();
    QTest::newRow("UTF-8 text alone") << "text/plain;charset=utf-8" << Opt("歌\nb");
    QTest::newRow("Shift-JIS text alone") << "text/plain;charset=Shift_JIS" << Opt("歌");
}

// The real clipboard wrapper, on the platform's own clipboard: text goes out
// with LF and alone; only plain text is text, to the menu and to the text
// area's own paste alike.
void tst_MainWindow::systemClipboard()
{
    QFETCH(QString, format);
    QFETCH(Opt, text);
    QClipboard *system = QGuiApplication::clipboard();
    Clipboard cb;
    QVERIFY(cb.Clear() && cb.SetText(QStringLiteral("a\r\nb\r\n")));
    QCOMPARE(system->mimeData()->formats(), QStringList{"text/plain"});
    QCOMPARE(cb.GetText(), Opt("a\nb\n"));

    auto *data = new QMimeData;
    if (format == "text/plain")
        data->setText(*text);
    else if (format.startsWith("text/plain;"))
        data->setData(format, QStringEncoder(format.section('=', 1).toLatin1()).encode(*text));
    else if (format == "text/uri-list")
        data->setUrls({QUrl::fromLocalFile("/home/a/b.png")});
    else if (format == "image/png")
        data->setImageData(QImage(2, 2, QImage::Format_RGB32));
    else
        data->setHtml("<b>x</b>");
    system->setMimeData(data);
    QCOMPARE(cb.GetFormat(), std::optional(text.has_value()));
    QCOMPARE(cb.GetText(), Opt(text.value_or(QString())));
    MainWindowFixture f;
    f.txt().widget()->paste();
    QCOMPARE(f.txt().Text(), QString(text.value_or(QString())).replace("\n", "\r\n"));
}

void tst_MainWindow::lyricCommands_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("keys"); // N: Ctrl+N, Y: Ctrl+Y, Z: Ctrl+Z
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("refused");
    const QString &fill = MainWindowFixture::Filling;
    const qsizetype max = frmLyrmak::MaxTextLength;
    const QString fits(max - fill.size(), u'a'), full(max - fill.size() + 1, u'a');
    QTest::newRow("append up to the limit") << fits << "Y" << fits + fill << false;
    QTest::newRow("append past the limit") << full << "Y" << full << true;
    QTest::newRow("new lyrics on a long text") << full << "N" << fill << false;
    QTest::newRow("undo new lyrics") << "自分の\r\n歌詞"
                                     << "NZ"
                                     << "自分の\r\n歌詞" << false;
    QTest::newRow("undo append") << "自分の"
                                 << "YZ"
                                 << "自分の" << false;
}

// Append lyrics stops short of a text Qt could not hold; New lyrics is one
// step for Undo.
void tst_MainWindow::lyricCommands()
{
    QFETCH(QString, before);
    QFETCH(QString, keys);
    QFETCH(QString, after);
    QFETCH(bool, refused);
    MainWindowFixture f;
    QVERIFY(f.showActive());
    f.txt().setText(before);
    MessageBox::setNextAnswer(MsgAnswer::Ok);
    QWidget *edit = f.txt().widget();
    for (const QChar k : keys)
        QTest::keyClick(edit, Qt::Key(k.unicode()), Qt::ControlModifier);
    QCOMPARE(f.txt().Text(), after);
    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), refused ? 1 : 0);
    if (refused)
        QCOMPARE(shown[0].prompt, QStringLiteral("歌詞が長すぎるため、これ以上追加できません"));
}

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
