#include "DialogProbe.h"
#include "FakeUrlOpener.h"
#include "WebDesign.h"
#include "frmWeb.h"

#include <QPushButton>
#include <QSet>

using DialogProbe::runModal;

namespace
{

QPushButton *browse(const QWidget &dialog, int index)
{
    for (QPushButton *b : dialog.findChildren<QPushButton *>("cmdBrowse"))
        if (b->property("Index").toInt() == index)
            return b;
    return nullptr;
}

QString address(int index)
{
    return QString::fromLatin1(WebDesign::Links[index].address);
}

// "cmdBrowse1" for the Index 1 link.
QString focusName()
{
    QWidget *w = QApplication::focusWidget();
    return w ? w->objectName() + w->property("Index").toString() : QStringLiteral("nothing");
}

} // namespace

class tst_Web : public QObject
{
    Q_OBJECT
private slots:
    void everyShowing();
    void keys_data();
    void keys();
    void window_data();
    void window();
    void readingOrder();
};

// At every showing the label is loaded afresh and names the Index 0 button,
// the focus starts on Index 1 wherever it was left, Tab goes by the design,
// and each click opens that button's own address while the dialog stays open.
void tst_Web::everyShowing()
{
    frmWeb dialog;
    FakeUrlOpener opener;
    const QString label =
        "\u3000この画面ではインターネットエクスプローラーなどのWebブラウザを使って、"
        "所定のURLにアクセスできます。\n\n\u3000例えば、「" +
        browse(dialog, 0)->text() + "」をクリックすると、" + address(0) +
        "\u3000にアクセスします。";
    const QStringList expected{label,       "cmdBrowse1", "cmdBrowse2", "cmdBrowse0",
                               "cmdCancel", "cmdBrowse3", "cmdBrowse1"};
    QStringList addresses;
    QSet<QString> captions;
    for (int i = 0; i < WebDesign::LinkCount; ++i) {
        addresses << address(i);
        captions << browse(dialog, i)->text();
    }
    QCOMPARE(captions.size(), WebDesign::LinkCount);
    for (int showing = 1; showing <= 2; ++showing) {
        QStringList seen;
        QVERIFY(!runModal(dialog, [&] {
            seen << dialog.findChild<QLabel *>("lblWeb")->text();
            for (qsizetype i = 1; i < expected.size(); ++i) {
                seen << focusName();
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            }
            for (int i = 0; i < WebDesign::LinkCount; ++i)
                QTest::mouseClick(browse(dialog, i), Qt::LeftButton);
        }));
        QCOMPARE(seen, expected);
    }
    for (qint16 index : {qint16(-1), qint16(4), qint16(32767)})
        QVERIFY(QMetaObject::invokeMethod(&dialog, "cmdBrowse_Click", Q_ARG(qint16, index)));
    QCOMPARE(opener.opened, addresses + addresses);
}

void tst_Web::keys_data()
{
    QTest::addColumn<int>("focus"); // Index of a link, 4 for キャンセル, -1 for none
    QTest::addColumn<int>("key");   // -1: the close box
    QTest::addColumn<int>("opens"); // Index of the link opened, -1 for none
    QTest::addColumn<bool>("closes");
    QTest::newRow("Enter on a link") << 2 << int(Qt::Key_Enter) << 2 << false;
    QTest::newRow("Enter, no button focused: the default")
        << -1 << int(Qt::Key_Return) << 3 << false;
    QTest::newRow("Enter on キャンセル") << 4 << int(Qt::Key_Return) << -1 << true;
    QTest::newRow("Esc on キャンセル") << 4 << int(Qt::Key_Escape) << -1 << false;
    QTest::newRow("close box") << 1 << -1 << -1 << true;
}

void tst_Web::keys()
{
    QFETCH(int, focus);
    QFETCH(int, key);
    QFETCH(int, opens);
    QFETCH(bool, closes);
    frmWeb dialog;
    FakeUrlOpener opener;
    QWidget *target = focus < 0    ? static_cast<QWidget *>(&dialog)
                      : focus == 4 ? dialog.findChild<QPushButton *>("cmdCancel")
                                   : browse(dialog, focus);
    const bool closed = runModal(dialog, [&] {
        if (target == &dialog)
            QApplication::focusWidget()->clearFocus();
        else
            target->setFocus(Qt::TabFocusReason);
        if (key < 0)
            dialog.close();
        else
            QTest::keyClick(target, Qt::Key(key));
    });
    QCOMPARE(closed, closes);
    QCOMPARE(opener.opened, opens >= 0 ? QStringList{address(opens)} : QStringList{});
}

void tst_Web::window_data()
{
    QTest::addColumn<QString>("family"); // empty: the design's font
    QTest::addColumn<int>("pixels");
    QTest::newRow("design font") << QString() << 0;
    QTest::newRow("another Japanese font") << "Noto Sans CJK JP" << 12;
    QTest::newRow("a large font") << "DejaVu Sans" << 17;
}

// Whatever font the system gives, no label covers another control.
void tst_Web::window()
{
    QFETCH(QString, family);
    QFETCH(int, pixels);
    frmWeb dialog;
    if (pixels > 0) {
        QFont f(family);
        f.setPixelSize(pixels);
        dialog.setFont(f);
    }
    QCOMPARE(DialogProbe::windowProblems(dialog, QSize(406, 284)), QStringList());
    QCOMPARE(dialog.windowTitle(), "関連のURLにアクセスする");
}

void tst_Web::readingOrder()
{
    frmWeb dialog;
    QCOMPARE(DialogProbe::readingOrder(dialog),
             QStringList(
                 {"lblWeb", "cmdBrowse0", "cmdBrowse1", "cmdBrowse3", "cmdBrowse2", "cmdCancel"}));
}

QTEST_MAIN(tst_Web)
#include "tst_web.moc"
