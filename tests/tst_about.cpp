#include "DialogProbe.h"
#include "frmAbout.h"

#include <QPushButton>

using DialogProbe::runModal;

namespace
{
// "ﾊﾞｰｼﾞｮﾝ" by code point: half-width katakana, not the look-alike バージョン.
const QString HalfWidthVersion = QString::fromUtf16(u"\uFF8A\uFF9E\uFF70\uFF7C\uFF9E\uFF6E\uFF9D");
} // namespace

class tst_About : public QObject
{
    Q_OBJECT
private slots:
    void everyShowing();
    void window_data();
    void window();
    void readingOrder();
};

// Every showing loads the same texts afresh, nothing doubled, and starts on
// OK. Enter and Esc close it even with the focus on the picture, not on OK.
void tst_About::everyShowing()
{
    const QStringList expected{
        "ミルトナの" + HalfWidthVersion + "情報",
        HalfWidthVersion + " 7.0",
        "驚異のミルトナ\u0020\u0020\u0020トルメ編",
        "驚異のミルトナは、トルメな曲の歌詞を自動的に作成する非実用ソフトです。なかなかスルドい"
        "表現が現れたりして、実用性もあるようです\uFF08本当だろうか\uFF09。",
        "Copyright (C) 2026 ミルトナ開発チーム",
        "cmdOK",
        "picIcon",
        "cmdOK",
        "picIcon"};
    frmAbout dialog;
    for (int key : {int(Qt::Key_Return), int(Qt::Key_Escape), 0}) { // 0: click OK
        QStringList seen;
        const auto look = [&] {
            seen << dialog.windowTitle();
            for (const char *name : {"lblVersion", "lblTitle", "lblDescription", "lblc"}) {
                auto *label = dialog.findChild<QLabel *>(name);
                seen << (label ? label->text() : name);
            }
            for (int i = 0; i < 3; ++i) {
                seen << QApplication::focusWidget()->objectName();
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            }
            seen << QApplication::focusWidget()->objectName();
            if (key)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
            else
                QTest::mouseClick(dialog.findChild<QPushButton *>("cmdOK"), Qt::LeftButton);
        };
        QVERIFY2(runModal(dialog, look), qPrintable(QString::number(key)));
        QCOMPARE(seen, expected);
    }
}

void tst_About::window_data()
{
    QTest::addColumn<QString>("family"); // empty: the design's font
    QTest::addColumn<int>("pixels");
    QTest::newRow("design font") << QString() << 0;
    QTest::newRow("another Japanese font") << "Noto Sans CJK JP" << 12;
    QTest::newRow("a large font") << "DejaVu Sans" << 17;
}

// Whatever font the system gives, no label covers another control.
void tst_About::window()
{
    QFETCH(QString, family);
    QFETCH(int, pixels);
    frmAbout dialog;
    if (pixels > 0) {
        QFont f(family);
        f.setPixelSize(pixels);
        dialog.setFont(f);
    }
    QCOMPARE(DialogProbe::windowProblems(dialog, QSize(379, 210)), QStringList());
}

// Top to bottom, left to right, as on screen; Tab order is the design's.
void tst_About::readingOrder()
{
    frmAbout dialog;
    QCOMPARE(DialogProbe::readingOrder(dialog),
             QStringList({"picIcon(picture)", "lblTitle", "lblVersion", "lblDescription", "lblc",
                          "lblDisclaimer", "cmdOK"}));
}

QTEST_MAIN(tst_About)
#include "tst_about.moc"
