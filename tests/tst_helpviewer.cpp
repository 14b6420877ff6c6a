#include "FakeUrlOpener.h"
#include "HelpBrowser.h"
#include "HelpContents.h"
#include "HelpInstance.h"
#include "HelpWindow.h"
#include "HtmlShape.h"
#include "NativePath.h"
#include "TextCodec.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QGlyphRun>
#include <QImage>
#include <QLineEdit>
#include <QPainterPath>
#include <QRawFont>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextLayout>
#include <QTextTable>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

const QString BundledHelp = QStringLiteral(LYRMAK_BUNDLED_DATA_DIR "/LYRMAK.HLP");

void write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

// LYRMAK.HLP in `dir` holding `content`; "(folder)" makes a folder of that
// name, "(fifo)" a FIFO, "/dev/..." a link to that device, "(none)" leaves it
// missing.
QString makeFile(const QTemporaryDir &dir, const QByteArray &content)
{
    const QString path = dir.filePath(QStringLiteral("LYRMAK.HLP"));
    if (content == "(folder)")
        QDir().mkpath(path);
    else if (content == "(fifo)")
        ::mkfifo(QFile::encodeName(path).constData(), 0600);
    else if (content.startsWith("/dev/"))
        QFile::link(QString::fromLatin1(content), path);
    else if (content != "(none)")
        write(path, content);
    return path;
}

// A help folder beside a file outside it: LYRMAK.HLP, a page, a page in a
// subfolder, a picture, a stylesheet, a FIFO, a program, and links out.
struct HelpFolder {
    QTemporaryDir root;
    QString folder;
    QString help;

    explicit HelpFolder(const QByteArray &helpHtml)
    {
        folder = root.filePath(QStringLiteral("prog"));
        help = folder + QStringLiteral("/LYRMAK.HLP");
        QDir().mkpath(folder + QStringLiteral("/sub"));
        write(help, helpHtml);
        write(folder + QStringLiteral("/page.html"), "<html><p>page</p></html>");
        write(folder + QStringLiteral("/sub/page.html"), "<html><p>sub</p></html>");
        write(folder + QStringLiteral("/style.css"), "p { color: red; }");
        write(folder + QStringLiteral("/lyrmak"), QByteArray("\177ELF\0\0<html>", 11));
        write(root.filePath(QStringLiteral("outside.html")), "<html><p>outside</p></html>");
        QImage(3, 2, QImage::Format_RGB32).save(folder + QStringLiteral("/pic.png"));
        QImage(3, 2, QImage::Format_RGB32).save(root.filePath(QStringLiteral("outside.png")));
        QFile::link(root.filePath(QStringLiteral("outside.html")), folder + "/out.html");
        QFile::link(root.filePath(QStringLiteral("outside.png")), folder + "/out.png");
        ::mkfifo(QFile::encodeName(folder + QStringLiteral("/fifo")).constData(), 0600);
    }
};

// How far the bottom third of a glyph lies left of its top third, as a share
// of its height: about 0 for the straight U+0027, well above for a curly one.
qreal lean(const QGlyphRun &run)
{
    const QPainterPath path = run.rawFont().pathForGlyph(run.glyphIndexes().value(0));
    const QRectF r = path.boundingRect();
    const auto centre = [&](qreal top) {
        QPainterPath band;
        band.addRect(QRectF(r.left() - 1, top, r.width() + 2, r.height() / 3));
        return path.intersected(band).boundingRect().center().x();
    };
    return (centre(r.top()) - centre(r.bottom() - r.height() / 3)) / r.height();
}

QPalette darkPalette()
{
    QPalette p;
    for (auto role : {QPalette::Window, QPalette::Base, QPalette::AlternateBase, QPalette::Button})
        p.setColor(role, QColor(40, 40, 40));
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(role, QColor(230, 230, 230));
    return p;
}

} // namespace

class tst_HelpViewer : public QObject
{
    Q_OBJECT
private slots:
    void window_data();
    void window();
    void bundledHelp();
    void secondStartHandsOver();
    void oddBytesInThePath_data();
    void oddBytesInThePath();
    void links_data();
    void links();
    void resources_data();
    void resources();
    void encodings_data();
    void encodings();
    void readable_data();
    void readable();
    void findAndSteps();
    void shape_data();
    void shape();
    void heavyPages_data();
    void heavyPages();
};

void tst_HelpViewer::window_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("contents"); // h3 indented under its h2
    QTest::addColumn<QString>("says");         // a piece of the problem shown instead
    const QString notHtml = QStringLiteral("表示できる形式ではありません");
    QTest::newRow("HTML, h2 and h3 only")
        << QByteArray(
               "<HTML><h1>ヘルプ</h1><h2><a name=\"a\"></a>はじめに</h2><p>x</p><h3>第<a "
               "name=\"n\">1</a>章\n  歌詞の\n保存 </h3><h4>D</h4><h3></h3><h2>One<br>two</h2>")
        << QStringList{"はじめに", "  第1章 歌詞の 保存", "One two"} << "";
    QTest::newRow("missing") << QByteArray("(none)") << QStringList{} << "見つかりません";
    QTest::newRow("folder") << QByteArray("(folder)") << QStringList{} << "読み込めません";
    QTest::newRow("FIFO") << QByteArray("(fifo)") << QStringList{}
                          << "通常のファイルではありません";
    QTest::newRow("link to /dev/zero")
        << QByteArray("/dev/zero") << QStringList{} << "通常のファイルではありません";
    QTest::newRow("plain text") << QByteArray("ミルトナのヘルプ\r\n目次\r\n") << QStringList{}
                                << notHtml;
    QTest::newRow("binary, <html inside")
        << QByteArray("\x3F\x5F\x03\x00\x10\x00<html>", 12) << QStringList{} << notHtml;
}

void tst_HelpViewer::window()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, contents);
    QFETCH(QString, says);
    QTemporaryDir dir;
    const QString path = makeFile(dir, content);
    HelpWindow w;
    ::alarm(20); // a viewer that waits on a FIFO ends here
    w.open(path);
    ::alarm(0);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.windowTitle(), "ミルトナ ヘルプ");
    QVERIFY(!w.windowIcon().isNull());
    QStringList items;
    for (QTreeWidgetItemIterator it(w.contentsList()); *it; ++it)
        items << QString((*it)->parent() ? "  " : "") + (*it)->text(0);
    QCOMPARE(items, contents);
    QCOMPARE(w.contentsList()->isVisible(), says.isEmpty());
    const QString text = w.textView()->toPlainText();
    QVERIFY2(says.isEmpty() || (text.contains(says) && text.contains(path)), qPrintable(text));
}

// In the bundled help every h2 and h3 has an anchor of its own and every
// internal link leads to one; a click in the list moves the text to the
// section, Back returns to the top, and the list follows the text.
void tst_HelpViewer::bundledHelp()
{
    HelpWindow w;
    w.open(BundledHelp);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QTextDocument *doc = w.textView()->document();
    QSet<QString> anchors;
    for (const HelpHeading &h : HelpContents::of(*doc)) {
        QVERIFY2(!h.anchor.isEmpty() && !anchors.contains(h.anchor), qPrintable(h.title));
        anchors.insert(h.anchor);
    }
    QVERIFY(anchors.size() >= 10);
    int links = 0;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QString href = it.fragment().charFormat().anchorHref();
            links += href.startsWith('#');
            QVERIFY2(!href.startsWith('#') || anchors.contains(href.mid(1)), qPrintable(href));
        }
    }
    QVERIFY(links > 0);

    QTreeWidget *list = w.contentsList();
    QScrollBar *bar = w.textView()->verticalScrollBar();
    QCOMPARE(bar->value(), 0);
    QCOMPARE(list->currentItem(), list->topLevelItem(0));
    QTreeWidgetItem *target = list->topLevelItem(list->topLevelItemCount() / 2);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(target).center());
    QCOMPARE(list->currentItem(), target);
    QVERIFY(bar->value() > 0);
    w.textView()->backward();
    QCOMPARE(bar->value(), 0);
    QCOMPARE(list->currentItem(), list->topLevelItem(0));
    bar->setValue(bar->maximum());
    QVERIFY(list->indexOfTopLevelItem(list->currentItem()) != 0);
}

// A second start for the same file hands over, even to a viewer busy with
// something else; another file, or the same one after its viewer ended, gets
// a viewer of its own.
void tst_HelpViewer::secondStartHandsOver()
{
    QTemporaryDir dir, otherDir;
    const QString file = makeFile(dir, "<html></html>");
    auto first = std::make_unique<HelpInstance>(file);
    QCOMPARE(first->claim(), HelpInstance::Role::Viewer);
    QSignalSpy asked(first.get(), &HelpInstance::contentsRequested);
    QCOMPARE(HelpInstance(file).claim(), HelpInstance::Role::Elsewhere);
    QVERIFY(asked.wait(5000));
    QCOMPARE(HelpInstance(makeFile(otherDir, "<html></html>")).claim(), HelpInstance::Role::Viewer);
    first.reset();
    QCOMPARE(HelpInstance(file).claim(), HelpInstance::Role::Viewer);
}

// A folder whose name is not UTF-8: the help, its pages and pictures open
// by the very bytes, the problem page shows the path, and a name that
// differs only in such a byte is another file with a viewer of its own.
void tst_HelpViewer::oddBytesInThePath_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("other");
    QTest::newRow("UTF-8") << QByteArray("café") << QByteArray("cafè");
    QTest::newRow("Latin-1") << QByteArray("caf\xe9") << QByteArray("caf\xe8");
    QTest::newRow("cut UTF-8, then ASCII") << QByteArray("\xe3\x81"
                                                         "a")
                                           << QByteArray("\xe3\x82"
                                                         "a");
}

void tst_HelpViewer::oddBytesInThePath()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, other);
    QTemporaryDir root;
    const auto put = [](const QString &path, const QByteArray &bytes) {
        FILE *f = ::fopen(NativePath::toNative(path).constData(), "wb");
        QVERIFY(f &&
                ::fwrite(bytes.constData(), 1, size_t(bytes.size()), f) == size_t(bytes.size()));
        ::fclose(f);
    };
    // QTemporaryDir removes only what Qt can name: these go by their bytes.
    const auto cleanUp = qScopeGuard([&] {
        for (const QByteArray &n : {other, name}) {
            const QByteArray folder = QFile::encodeName(root.path()) + '/' + n;
            for (const char *file : {"/LYRMAK.HLP", "/page.html", "/pic.png"})
                ::unlink(folder + file);
            ::rmdir(folder.constData());
        }
    });
    QString help;
    for (const QByteArray &n : {other, name}) {
        const QString folder = root.path() + '/' + NativePath::fromNative(n);
        QCOMPARE(::mkdir(NativePath::toNative(folder).constData(), 0700), 0);
        help = folder + QStringLiteral("/LYRMAK.HLP");
        put(help,
            "<html><h2>A</h2><p><a href=\"page.html\">link</a><img src=\"pic.png\"></p></html>");
        put(folder + QStringLiteral("/page.html"), "<html><p>page</p></html>");
        QByteArray png;
        QBuffer buffer(&png);
        QImage(3, 2, QImage::Format_RGB32).save(&buffer, "PNG");
        put(folder + QStringLiteral("/pic.png"), png);
    }
    const QString folder = root.path() + '/' + NativePath::fromNative(name);

    HelpWindow w;
    w.open(help);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.contentsList()->topLevelItemCount(), 1);
    auto *view = static_cast<HelpBrowser *>(w.textView());
    QCOMPARE(
        view->loadResource(QTextDocument::ImageResource, QUrl("pic.png")).value<QImage>().size(),
        QSize(3, 2));
    QTextCursor at(view->document());
    at.setPosition(2);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->cursorRect(at).center());
    QCOMPARE(NativePath::localFile(view->source()), folder + QStringLiteral("/page.html"));

    const QString gone = folder + QStringLiteral("/GONE.HLP");
    w.open(gone);
    QVERIFY(w.textView()->toPlainText().contains(NativePath::display(gone)));

    HelpInstance mine(help);
    QCOMPARE(mine.claim(), HelpInstance::Role::Viewer);
    const QString otherHelp = root.path() + '/' + NativePath::fromNative(other) + "/LYRMAK.HLP";
    QCOMPARE(HelpInstance(otherHelp).claim(), HelpInstance::Role::Viewer);
}

// A click on each link: pages of the help's own folder open in the viewer
// (a section of the page shown stays on LYRMAK.HLP), web and mail addresses
// in the user's programs; anything else opens nothing and says so in the
// status bar.
void tst_HelpViewer::links_data()
{
    QTest::addColumn<QString>("href");
    QTest::addColumn<char>("opens"); // 'v' in the viewer, 'x' outside it, '-' nowhere
    for (const char *href : {"#b", "page.html", "sub/page.html"})
        QTest::newRow(href) << QString(href) << 'v';
    for (const char *href :
         {"https://example.com/a?b=1", "HTTP://example.com/", "mailto:a@example.com"})
        QTest::newRow(href) << QString(href) << 'x';
    // out.html links out of the folder, lyrmak is a program.
    for (const char *href : {"javascript:alert(1)", "smb://host/share", "file:///etc/passwd",
                             "../outside.html", "out.html", "fifo", "lyrmak", "gone.html"})
        QTest::newRow(href) << QString(href) << '-';
}

void tst_HelpViewer::links()
{
    QFETCH(QString, href);
    QFETCH(char, opens);
    HelpFolder f("<html><p><a href=\"" + href.toUtf8() +
                 "\">link</a></p><p><a name=\"b\">b</a></p></html>");
    FakeUrlOpener opener;
    HelpWindow w;
    w.open(f.help);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTextBrowser *view = w.textView();
    const QUrl before = view->source();
    QTextCursor at(view->document());
    at.setPosition(2);
    ::alarm(20); // a viewer that waits on the FIFO ends here
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->cursorRect(at).center());
    ::alarm(0);
    QCOMPARE(opener.opened,
             opens == 'x' ? QStringList{QUrl(href).toString(QUrl::FullyEncoded)} : QStringList{});
    const QString status = w.statusBar()->currentMessage();
    if (opens == 'v') {
        const QString shows = QUrl(href).path();
        QCOMPARE(view->source().toLocalFile(),
                 QFileInfo(shows.isEmpty() ? f.help : f.folder + '/' + shows).canonicalFilePath());
        QCOMPARE(status, QString());
    } else {
        QCOMPARE(view->source(), before);
        QCOMPARE(status.contains("このリンクは開けません"), opens == '-');
    }
}

// Pictures and stylesheets come only from regular files in the help folder;
// whatever else the page names is never opened.
void tst_HelpViewer::resources_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("image");
    QTest::addColumn<bool>("loads");
    // out.png links out of the folder.
    for (const char *name : {"pic.png", "../prog/pic.png"})
        QTest::addRow("picture %s", name) << QString(name) << true << true;
    for (const char *name : {"/dev/zero", "file:///dev/urandom", "fifo", "../outside.png",
                             "out.png", "https://example.com/a.png"})
        QTest::addRow("picture %s", name) << QString(name) << true << false;
    QTest::newRow("stylesheet") << "style.css" << false << true;
    for (const char *name : {"/dev/zero", "fifo"})
        QTest::addRow("stylesheet %s", name) << QString(name) << false << false;
}

void tst_HelpViewer::resources()
{
    QFETCH(QString, name);
    QFETCH(bool, image);
    QFETCH(bool, loads);
    const QByteArray tag = image ? "<img src=\"" + name.toUtf8() + "\">"
                                 : "<link rel=\"stylesheet\" href=\"" + name.toUtf8() + "\">";
    HelpFolder f("<html><head>" + tag + "</head><body><h2>A</h2><p>" + tag + "</p></body></html>");
    HelpWindow w;
    ::alarm(20);
    w.open(f.help);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    ::alarm(0);
    auto *view = static_cast<HelpBrowser *>(w.textView());
    const QVariant got = view->loadResource(
        image ? QTextDocument::ImageResource : QTextDocument::StyleSheetResource, QUrl(name));
    if (image)
        QCOMPARE(got.value<QImage>().size() == QSize(3, 2), loads);
    else
        QCOMPARE(got.toString().contains("color"), loads);
}

// A help file written on Japanese Windows is CP932, declared or not; bytes
// that no character set reads are shown replaced, and the status bar says so.
void tst_HelpViewer::encodings_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("garbled");
    const QString page = QStringLiteral("<html><h2>歌詞の保存</h2><p>本文</p></html>");
    QTest::newRow("UTF-8") << page.toUtf8() << false;
    QTest::newRow("CP932") << TextCodec::encodeCp932(page) << false;
    QTest::newRow("CP932, said to be UTF-8")
        << TextCodec::encodeCp932(QStringLiteral("<meta charset=\"utf-8\">") + page) << false;
    QTest::newRow("CP932, said to be Shift_JIS")
        << TextCodec::encodeCp932(QStringLiteral("<meta charset=\"Shift_JIS\">") + page) << false;
    QTest::newRow("neither") << page.toUtf8().replace("本文", "\x80\xff") << true;
}

void tst_HelpViewer::encodings()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, garbled);
    QTemporaryDir dir;
    HelpWindow w;
    w.open(makeFile(dir, content));
    QCOMPARE(w.contentsList()->topLevelItem(0)->text(0), QStringLiteral("歌詞の保存"));
    QCOMPARE(w.statusBar()->currentMessage().contains(QStringLiteral("文字化け")), garbled);
}

// The bundled help as the reader sees it, in a light and a dark palette:
// every background is the palette's, syntax shows as typed (the apostrophe
// drawn upright, whatever font draws it), the text wraps in a narrow window
// and the window leaves room on the screen for its frame.
void tst_HelpViewer::readable_data()
{
    QTest::addColumn<bool>("dark");
    QTest::addColumn<int>("width");
    QTest::newRow("light") << false << 800;
    QTest::newRow("dark, narrow") << true << 420;
}

void tst_HelpViewer::readable()
{
    QFETCH(bool, dark);
    QFETCH(int, width);
    const QPalette before = QApplication::palette();
    if (dark)
        QApplication::setPalette(darkPalette());
    HelpWindow w;
    w.open(BundledHelp);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QSize room = w.screen()->availableGeometry().size() - QSize(16, 48);
    QVERIFY(w.size().width() <= room.width() && w.size().height() <= room.height());
    w.resize(width, 500);
    QTextBrowser *view = w.textView();
    QTextDocument *doc = view->document();
    doc->documentLayout()->blockBoundingRect(doc->lastBlock()); // lay it all out
    QCoreApplication::processEvents();
    QCOMPARE(view->horizontalScrollBar()->maximum(), 0);

    const QColor base = QApplication::palette().color(QPalette::Base);
    const auto near = [&](const QBrush &b) {
        return b.style() == Qt::NoBrush || qAbs(b.color().lightness() - base.lightness()) < 48;
    };
    int apostrophes = 0;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        QVERIFY2(near(b.blockFormat().background()), qPrintable(b.text()));
        if (QTextTable *table = qobject_cast<QTextTable *>(QTextCursor(b).currentTable()))
            QVERIFY2(near(table->cellAt(QTextCursor(b)).format().background()),
                     qPrintable(b.text()));
        for (qsizetype i = b.text().indexOf(u'\''); i >= 0; i = b.text().indexOf(u'\'', i + 1)) {
            const QList<QGlyphRun> runs = b.layout()->glyphRuns(int(i), 1);
            QVERIFY(!runs.isEmpty());
            QVERIFY2(qAbs(lean(runs.first())) < 0.03,
                     qPrintable(b.text() + " / " + runs.first().rawFont().familyName()));
            ++apostrophes;
        }
    }
    QVERIFY(apostrophes > 3);
    QVERIFY(doc->toPlainText().contains(QStringLiteral("'!くりかえし")));
    for (const QToolButton *button : w.findChildren<QToolButton *>())
        QVERIFY2(!button->accessibleName().isEmpty() || !button->text().isEmpty(),
                 button->metaObject()->className());
    QApplication::setPalette(before);
}

// Ctrl+F finds text in the page, round the end and back; arrow keys in the
// contents list move the text without Back entries, a click adds one.
void tst_HelpViewer::findAndSteps()
{
    HelpWindow w;
    w.open(BundledHelp);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTextBrowser *view = w.textView();
    QTest::keyClick(&w, Qt::Key_F, Qt::ControlModifier);
    auto *find = w.findChild<QLineEdit *>(QStringLiteral("find"));
    QVERIFY(find->hasFocus());
    find->setText(QStringLiteral("くりかえし"));
    QTest::keyClick(find, Qt::Key_Return);
    QCOMPARE(view->textCursor().selectedText(), QStringLiteral("くりかえし"));
    const int first = view->textCursor().position();
    QTest::keyClick(find, Qt::Key_Return);
    QVERIFY(view->textCursor().position() > first);
    QTest::keyClick(&w, Qt::Key_F3, Qt::ShiftModifier);
    QCOMPARE(view->textCursor().position(), first);
    QTest::keyClick(&w, Qt::Key_F3, Qt::ShiftModifier); // round the top to the last one
    QVERIFY(view->textCursor().position() > first);
    find->setText(QStringLiteral("ないはずの言葉"));
    QTest::keyClick(find, Qt::Key_Return);
    QVERIFY(w.statusBar()->currentMessage().contains(QStringLiteral("見つかりません")));

    QTreeWidget *list = w.contentsList();
    list->setFocus();
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(list, Qt::Key_Down);
    QVERIFY(view->verticalScrollBar()->value() > 0);
    QVERIFY(!view->isBackwardAvailable());
    QTreeWidgetItem *target = list->topLevelItem(list->topLevelItemCount() - 1);
    list->scrollToItem(target); // a long help lists more than the list shows
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(target).center());
    QVERIFY(view->isBackwardAvailable());
}

// Nesting as Qt's parser makes it: implied ends, repaired tables and
// malformed tags must not let a page look shallower than it is.
void tst_HelpViewer::shape_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<int>("depth");
    QTest::addColumn<int>("tables");
    QTest::newRow("paragraphs end each other") << "<p>a<p>b<p>c" << 1 << 0;
    QTest::newRow("a paragraph inside bold nests") << "<p><b>a<p><b>b" << 4 << 0;
    QTest::newRow("items end each other") << "<ul><li>a<li>b<li>c</ul>" << 2 << 0;
    QTest::newRow("cells end at the next row") << "<table><tr><td>a<td>b<tr><td>c" << 3 << 1;
    QTest::newRow("a lone cell gets a table") << "<td><td><td>" << 3 << 1;
    QTest::newRow("end tag without start") << "<b></i></b></b><i>" << 1 << 0;
    QTest::newRow("end tag closes what is inside") << "<div><b><i></div><u>" << 3 << 0;
    QTest::newRow("closed and empty tags") << "<b/><br><img src=x><hr><x / ><b>" << 1 << 0;
    QTest::newRow("any < opens a tag") << "a < b > c < d >" << 2 << 0;
    QTest::newRow("quoted > stays in the tag") << "<a title=\"x>y\"><b>" << 2 << 0;
    QTest::newRow("comment") << "<!-- <b><b> --><!doctype html><b>" << 1 << 0;
}

void tst_HelpViewer::shape()
{
    QFETCH(QString, html);
    QFETCH(int, depth);
    QFETCH(int, tables);
    const HtmlShape shape = HtmlShape::of(html);
    QCOMPARE(shape.depth, depth);
    QCOMPARE(shape.tableDepth, tables);
}

// Pages that once hung or crashed the viewer get the explanation, as the
// help file and as a linked page; real pages show.
void tst_HelpViewer::heavyPages_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("shows");
    const auto nest = [](const char *open, const char *close, int n) {
        return QByteArray(open).repeated(n) + "x" + QByteArray(close).repeated(n);
    };
    QTest::newRow("30 nested tables") << nest("<table><tr><td>", "</td></tr></table>", 30) << false;
    QTest::newRow("5000 nested tables")
        << nest("<table><tr><td>", "</td></tr></table>", 5000) << false;
    QTest::newRow("div x100k") << nest("<div>", "</div>", 100000) << false;
    QTest::newRow("ul li x50k") << nest("<ul><li>", "</li></ul>", 50000) << false;
    QTest::newRow("b x100k, never closed") << QByteArray("<b>").repeated(100000) << false;
    QTest::newRow("block span in p x2000")
        << QByteArray("<p><span style=\"display:block\">").repeated(2000) << false;
    QTest::newRow("one cell a million wide") << QByteArray("<td colspan=1000000>x") << false;
    QTest::newRow("list of 10k items") << "<ul>" + QByteArray("<li>x").repeated(10000) << false;
    QTest::newRow("an image 5 million pixels wide")
        << QByteArray("画像 <img src=x width=4999999>") << false;
    QTest::newRow("an image 5 million pixels high")
        << QByteArray("画像 <img src=x height=\"5e6\">") << false;
    QTest::newRow("an image 2000 pixels wide") << QByteArray("画像 <img src=x width=2000>") << true;
    QTest::newRow("8 nested tables") << nest("<table><tr><td>", "</td></tr></table>", 8) << true;
    QTest::newRow("2000 open paragraphs") << QByteArray("<p>段落").repeated(2000) << true;
    QFile bundled(BundledHelp);
    QVERIFY(bundled.open(QIODevice::ReadOnly));
    QTest::newRow("bundled help") << bundled.readAll() << true;
}

void tst_HelpViewer::heavyPages()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, shows);
    HelpFolder f("<html><p>help</p></html>");
    const QString page = f.folder + QStringLiteral("/heavy.html");
    write(page, "<html><body><p>" + body + "</body></html>");
    const QString refused = QStringLiteral("時間がかかりすぎます");
    HelpWindow w;
    ::alarm(60); // a viewer that hangs ends here
    w.open(f.help);
    w.textView()->setSource(QUrl::fromLocalFile(page), QTextDocument::HtmlResource);
    QCOMPARE(w.textView()->toPlainText().contains(refused), !shows);
    w.open(page);
    QCOMPARE(w.contentsList()->isHidden(), !shows);
    QCOMPARE(w.textView()->toPlainText().contains(refused), !shows);
    ::alarm(0);
}

QTEST_MAIN(tst_HelpViewer)
#include "tst_helpviewer.moc"
