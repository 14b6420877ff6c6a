#include "DesktopSession.h"

#include <QApplication>
#include <QGlyphRun>
#include <QRawFont>
#include <QTest>
#include <QTextLayout>

// The interface font as the user meets it: CTest runs this once in a Japanese
// and once in the C locale, since fontconfig picks its fonts by locale.
class tst_DesktopSession : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void proportionalFont_data();
    void proportionalFont();
};

void tst_DesktopSession::initTestCase()
{
    DesktopSession::setUp();
}

void tst_DesktopSession::proportionalFont_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("kanji and kana") << QStringLiteral("月曜日の朝　携帯電話を");
    QTest::newRow("half-width katakana") << QStringLiteral("ﾍﾙﾌﾟ(&H)");
    QTest::newRow("Latin among Japanese") << QStringLiteral("Webに接続(&W)");
    QTest::newRow("Latin alone") << QStringLiteral("Ctrl+N");
}

// Every font that draws the text gives "i" and "W" different widths: no part
// of the interface falls to a fixed-pitch font such as IPAGothic.
void tst_DesktopSession::proportionalFont()
{
    QFETCH(QString, text);
    QTextLayout layout(text, QApplication::font());
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    QVERIFY(!runs.isEmpty());
    for (const QGlyphRun &run : runs) {
        const QRawFont font = run.rawFont();
        const QList<QPointF> advances =
            font.advancesForGlyphIndexes(font.glyphIndexesForString(QStringLiteral("iW")));
        QCOMPARE(advances.size(), 2);
        QVERIFY2(advances[0].x() < advances[1].x(), qPrintable(font.familyName()));
    }
}

QTEST_MAIN(tst_DesktopSession)
#include "tst_desktopsession.moc"
