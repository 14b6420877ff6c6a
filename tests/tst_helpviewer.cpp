#include "HelpContents.h"
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
#include <QTreeWidgetItemIterator>

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
    void window_data();
    void window();
    void bundledHelp();
    void secondStartHandsOver();
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
    w.open(path);
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

// A second start for the same file hands over; another file gets its own.
void tst_HelpViewer::secondStartHandsOver()
{
    QTemporaryDir dir, otherDir;
    const QString file = makeFile(dir, "<html></html>");
    HelpInstance first(file);
    QVERIFY(!first.handOver());
    first.listen();
    QSignalSpy asked(&first, &HelpInstance::contentsRequested);
    QVERIFY(HelpInstance(file).handOver());
    QVERIFY(asked.wait(5000));
    QVERIFY(!HelpInstance(makeFile(otherDir, "<html></html>")).handOver());
}

QTEST_MAIN(tst_HelpViewer)
#include "tst_helpviewer.moc"
