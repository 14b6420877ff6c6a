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
    void textsAtEveryShowing_data();
    void textsAtEveryShowing();
    void closes_data();
    void closes();
    void focusAndTabOrder();
    void window();
};

void tst_About::textsAtEveryShowing_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("expected");
    QTest::newRow("title") << "" << QStringLiteral("ミルトナの") + HalfWidthVersion + "情報";
    QTest::newRow("lblVersion") << "lblVersion" << HalfWidthVersion + " 7.0";
    QTest::newRow("lblTitle, three spaces") << "lblTitle"
                                            << "驚異のミルトナ\u0020\u0020\u0020トルメ編";
    QTest::newRow("lblDescription, full-width parentheses")
        << "lblDescription"
        << QStringLiteral("驚異のミルトナは、トルメな曲の歌詞を自動的に作成する非実用ソフトです。"
                          "なかなかスルドい表現が現れたりして、実用性もあるようです\uFF08本当だろう"
                          "か\uFF09。");
    QTest::newRow("lblc") << "lblc"
                          << "Copyright (C) 2026 ミルトナ開発チーム";
}

// Loaded afresh at every showing: the same texts, nothing doubled.
void tst_About::textsAtEveryShowing()
{
    QFETCH(QString, control);
    QFETCH(QString, expected);
    frmAbout dialog;
    for (int showing = 1; showing <= 2; ++showing) {
        QString seen;
        runModal(dialog, [&] {
            auto *label = dialog.findChild<QLabel *>(control);
            seen = control.isEmpty() ? dialog.windowTitle() : label ? label->text() : "<none>";
        });
        QCOMPARE(seen, expected);
    }
}

void tst_About::closes_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key"); // 0: click "OK"; -1: the close box
    QTest::newRow("Enter") << "cmdOK" << int(Qt::Key_Return);
    QTest::newRow("Esc") << "cmdOK" << int(Qt::Key_Escape);
    QTest::newRow("click OK") << "cmdOK" << 0;
    QTest::newRow("close box") << "cmdOK" << -1;
    QTest::newRow("Enter on the picture") << "picIcon" << int(Qt::Key_Return);
    QTest::newRow("Esc on the picture") << "picIcon" << int(Qt::Key_Escape);
}

void tst_About::closes()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    frmAbout dialog;
    QVERIFY(runModal(dialog, [&] {
        auto *target = dialog.findChild<QWidget *>(focus);
        target->setFocus(Qt::TabFocusReason);
        if (key > 0)
            QTest::keyClick(target, Qt::Key(key));
        else if (key == 0)
            QTest::mouseClick(dialog.findChild<QPushButton *>("cmdOK"), Qt::LeftButton);
        else
            dialog.close();
    }));
}

void tst_About::focusAndTabOrder()
{
    frmAbout dialog;
    for (int showing = 1; showing <= 2; ++showing) {
        QStringList visited;
        runModal(dialog, [&] {
            for (int i = 0; i < 3; ++i) {
                visited << QApplication::focusWidget()->objectName();
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            }
        });
        QCOMPARE(visited, QStringList({"cmdOK", "picIcon", "cmdOK"}));
    }
}

void tst_About::window()
{
    frmAbout dialog;
    QCOMPARE(DialogProbe::windowProblems(dialog, QSize(379, 210)), QStringList());
}

QTEST_MAIN(tst_About)
#include "tst_about.moc"
