#include "HelpContents.h"
#include "HelpFile.h"
#include "HelpInstance.h"
#include "HelpWindow.h"

#include <QFile>
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTreeWidget>

Q_DECLARE_METATYPE(HelpFile::Status)

namespace
{

const QString BundledHelp = QStringLiteral(LYRMAK_BUNDLED_DATA_DIR "/LYRMAK.HLP");

// LYRMAK.HLP in `dir` holding `content`; "(folder)" makes a folder of that
// name, "(none)" leaves it missing.
QString makeFile(const QTemporaryDir &dir, const QByteArray &content)
{
    const QString path = dir.filePath(QStringLiteral("LYRMAK.HLP"));
    QFile f(path);
    if (content == "(folder)")
        QDir().mkpath(path);
    else if (content != "(none)" && f.open(QIODevice::WriteOnly))
        f.write(content);
    return path;
}

} // namespace

class tst_HelpViewer : public QObject
{
    Q_OBJECT
private slots:
    void contents_data();
    void contents();
    void bundledHelpHoldsTogether();
    void window_data();
    void window();
    void contentsListGoesToSectionsAndFollows();
    void secondStartHandsOver();
};

void tst_HelpViewer::contents_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QStringList>("expected"); // level anchor title
    QTest::newRow("sections and subsections only")
        << "<h1>ヘルプ</h1><h2><a name=\"a\"></a>はじめに</h2><p>x</p><h3><a name=\"b\"></a>使い方"
           "</h3><h4>D</h4><h3></h3><h2><a name=\"c\"></a>保存</h2>"
        << QStringList{"2 a はじめに", "3 b 使い方", "2 c 保存"};
    QTest::newRow("white space and line breaks collapse")
        << "<h2><a name=\"a\"></a>\n  歌詞の\n保存 </h2><h3>One<br>two</h3>"
        << QStringList{"2 a 歌詞の 保存", "3  One two"};
    QTest::newRow("anchor inside, or none")
        << "<h2>第<a name=\"n\">1</a>章</h2><h2>付録</h2>" << QStringList{"2 n 第1章", "2  付録"};
}

void tst_HelpViewer::contents()
{
    QFETCH(QString, html);
    QFETCH(QStringList, expected);
    QTextDocument doc;
    doc.setHtml(html);
    QStringList outline;
    for (const HelpHeading &h : HelpContents::of(doc))
        outline << QStringLiteral("%1 %2 %3").arg(h.level).arg(h.anchor, h.title);
    QCOMPARE(outline, expected);
}

// Every h2 and h3 of the bundled help has an anchor of its own, and every
// internal link leads to one.
void tst_HelpViewer::bundledHelpHoldsTogether()
{
    QCOMPARE(HelpFile::check(BundledHelp), HelpFile::Status::Ok);
    QFile f(BundledHelp);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QTextDocument doc;
    doc.setHtml(QString::fromUtf8(f.readAll()));
    QSet<QString> anchors;
    for (const HelpHeading &h : HelpContents::of(doc)) {
        QVERIFY2(!h.anchor.isEmpty() && !anchors.contains(h.anchor), qPrintable(h.title));
        anchors.insert(h.anchor);
    }
    QVERIFY(anchors.size() >= 10);
    int links = 0;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QString href = it.fragment().charFormat().anchorHref();
            links += href.startsWith('#');
            QVERIFY2(!href.startsWith('#') || anchors.contains(href.mid(1)), qPrintable(href));
        }
    }
    QVERIFY(links > 0);
}

// Which files the viewer shows, and what it says about the others in its
// own window.
void tst_HelpViewer::window_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<HelpFile::Status>("status");
    QTest::addColumn<QString>("says");
    QFile bundled(BundledHelp);
    QVERIFY(bundled.open(QIODevice::ReadOnly));
    QTest::newRow("the bundled help") << bundled.readAll() << HelpFile::Status::Ok << "";
    QTest::newRow("missing") << QByteArray("(none)") << HelpFile::Status::Missing
                             << "見つかりません";
    QTest::newRow("a folder") << QByteArray("(folder)") << HelpFile::Status::Unreadable
                              << "読み込めません";
    const QString notHelp = QStringLiteral("表示できる形式ではありません");
    QTest::newRow("plain text") << QByteArray("ミルトナのヘルプ\r\n目次\r\n")
                                << HelpFile::Status::NotHtml << notHelp;
    QTest::newRow("binary help data, <html inside")
        << QByteArray("\x3F\x5F\x03\x00\x10\x00\x00\x00<html>", 14) << HelpFile::Status::NotHtml
        << notHelp;
}

void tst_HelpViewer::window()
{
    QFETCH(QByteArray, content);
    QFETCH(HelpFile::Status, status);
    QFETCH(QString, says);
    QTemporaryDir dir;
    const QString path = makeFile(dir, content);
    QCOMPARE(HelpFile::check(path), status);
    HelpWindow w;
    w.open(path);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.windowTitle(), "ミルトナ ヘルプ");
    QVERIFY(!w.windowIcon().isNull());
    const bool good = says.isEmpty();
    QCOMPARE(w.contentsList()->isVisible(), good);
    QCOMPARE(w.contentsList()->topLevelItemCount() > 0, good);
    const QString text = w.textView()->toPlainText();
    QVERIFY2(good || (text.contains(says) && text.contains(path)), qPrintable(text));
}

void tst_HelpViewer::contentsListGoesToSectionsAndFollows()
{
    HelpWindow w;
    w.open(BundledHelp);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTreeWidget *list = w.contentsList();
    QScrollBar *bar = w.textView()->verticalScrollBar();
    QCOMPARE(bar->value(), 0);
    QCOMPARE(list->currentItem(), list->topLevelItem(0));

    // A click on a section in the middle moves the text there.
    QTreeWidgetItem *target = list->topLevelItem(list->topLevelItemCount() / 2);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(target).center());
    QCOMPARE(list->currentItem(), target);
    QVERIFY(bar->value() > 0);

    // Back returns to the top, and the list follows the text.
    w.textView()->backward();
    QCOMPARE(bar->value(), 0);
    QCOMPARE(list->currentItem(), list->topLevelItem(0));
    bar->setValue(bar->maximum());
    QVERIFY(list->indexOfTopLevelItem(list->currentItem()) != 0);
}

void tst_HelpViewer::secondStartHandsOver()
{
    QTemporaryDir dir;
    const QString file = makeFile(dir, "<html></html>");
    HelpInstance first(file);
    QVERIFY(!first.handOver()); // nobody there yet
    first.listen();
    QSignalSpy asked(&first, &HelpInstance::contentsRequested);
    QVERIFY(HelpInstance(file).handOver());
    QVERIFY(asked.wait(5000));

    // Another help file gets a viewer of its own.
    QTemporaryDir otherDir;
    QVERIFY(!HelpInstance(makeFile(otherDir, "<html></html>")).handOver());
}

QTEST_MAIN(tst_HelpViewer)
#include "tst_helpviewer.moc"
