#include "DialogProbe.h"
#include "FakeUrlOpener.h"
#include "WebDesign.h"
#include "frmWeb.h"

#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>

using DialogProbe::runModal;

namespace
{

QPushButton *browse(const QWidget &dialog, int index)
{
    return DialogProbe::indexed<QPushButton>(dialog, "cmdBrowse", index);
}

// The target of a key: a link by Index, 4 for キャンセル, -1 for the dialog
// itself with no button focused.
QWidget *control(const QWidget &dialog, int index)
{
    if (index == 4)
        return dialog.findChild<QPushButton *>("cmdCancel");
    return index < 0 ? const_cast<QWidget *>(&dialog) : browse(dialog, index);
}

QString address(int index)
{
    return QString::fromLatin1(WebDesign::Links[index].address);
}

QString focusName()
{
    QWidget *w = QApplication::focusWidget();
    if (w && w->objectName() == QLatin1String("cmdBrowse"))
        return QStringLiteral("cmdBrowse(%1)").arg(w->property("Index").toInt());
    return w ? w->objectName() : QStringLiteral("nothing");
}

} // namespace

class tst_Web : public QObject
{
    Q_OBJECT
private slots:
    void linksAndLabel();
    void unknownIndexOpensNothing();
    void keys_data();
    void keys();
    void focusAndTabOrder();
    void window();
};

// Each click opens that button's own address, again and again, and the
// dialog stays open. The label's example names the Index 0 button.
void tst_Web::linksAndLabel()
{
    frmWeb dialog;
    FakeUrlOpener opener;
    QString label;
    QStringList captions;
    QVERIFY(!runModal(dialog, [&] {
        label = dialog.findChild<QLabel *>("lblWeb")->text();
        for (int index : {0, 1, 2, 3, 2}) {
            QTest::mouseClick(browse(dialog, index), Qt::LeftButton);
            captions << browse(dialog, index)->text();
        }
    }));
    QCOMPARE(opener.opened,
             QStringList({address(0), address(1), address(2), address(3), address(2)}));
    QCOMPARE(QSet<QString>(captions.begin(), captions.end()).size(), 4);
    for (int i = 0; i < 4; ++i) {
        const QUrl url(address(i), QUrl::StrictMode);
        QVERIFY2(url.isValid() && url.scheme() == "https" &&
                     QRegularExpression("(^|\\.)example\\.(org|com)$").match(url.host()).hasMatch(),
                 qPrintable(address(i)));
        QVERIFY2(captions[i].contains(QRegularExpression("[\u3040-\u30FF\u4E00-\u9FFF]")),
                 qPrintable(captions[i]));
    }
    QCOMPARE(label, "\u3000この画面ではインターネットエクスプローラーなどのWebブラウザを使って、"
                    "所定のURLにアクセスできます。\n\n\u3000例えば、「" +
                        captions[0] + "」をクリックすると、" + address(0) +
                        "\u3000にアクセスします。");
    // Loaded afresh: the second showing has the same text, not a doubled one.
    runModal(dialog, [&] { QCOMPARE(dialog.findChild<QLabel *>("lblWeb")->text(), label); });
}

void tst_Web::unknownIndexOpensNothing()
{
    frmWeb dialog;
    FakeUrlOpener opener;
    for (qint16 index : {qint16(-1), qint16(4), qint16(32767)})
        QVERIFY(QMetaObject::invokeMethod(&dialog, "cmdBrowse_Click", Q_ARG(qint16, index)));
    QVERIFY(opener.opened.isEmpty());
}

void tst_Web::keys_data()
{
    QTest::addColumn<int>("focus"); // as control() takes it
    QTest::addColumn<int>("key");   // -1: the close box
    QTest::addColumn<int>("opens"); // Index of the link opened, -1 for none
    QTest::addColumn<bool>("closes");
    QTest::newRow("Enter on a link") << 2 << int(Qt::Key_Enter) << 2 << false;
    QTest::newRow("Enter, no button focused: the default")
        << -1 << int(Qt::Key_Return) << 3 << false;
    QTest::newRow("Enter on キャンセル") << 4 << int(Qt::Key_Return) << -1 << true;
    QTest::newRow("Esc on a link") << 1 << int(Qt::Key_Escape) << -1 << false;
    QTest::newRow("Esc on キャンセル") << 4 << int(Qt::Key_Escape) << -1 << false;
    QTest::newRow("Esc, no button focused") << -1 << int(Qt::Key_Escape) << -1 << false;
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
    const bool closed = runModal(dialog, [&] {
        QWidget *target = control(dialog, focus);
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

// The second showing starts on Index 1 again, wherever the focus was left.
void tst_Web::focusAndTabOrder()
{
    const QStringList visited{"cmdBrowse(1)", "cmdBrowse(2)", "cmdBrowse(0)",
                              "cmdCancel",    "cmdBrowse(3)", "cmdBrowse(1)"};
    frmWeb dialog;
    for (int showing = 1; showing <= 2; ++showing) {
        QStringList seen;
        runModal(dialog, [&] {
            for (qsizetype i = 0; i < visited.size(); ++i) {
                seen << focusName();
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            }
        });
        QCOMPARE(seen, visited);
    }
}

void tst_Web::window()
{
    frmWeb dialog;
    QCOMPARE(DialogProbe::windowProblems(dialog, QSize(406, 284)), QStringList());
    QCOMPARE(dialog.windowTitle(), "関連のURLにアクセスする");
}

QTEST_MAIN(tst_Web)
#include "tst_web.moc"
