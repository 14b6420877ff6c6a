#include "frmWeb.h"

#include "UrlOpener.h"
#include "WebDesign.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMap>
#include <QPushButton>

namespace
{

QString linkCaption(int index)
{
    return QString::fromUtf16(WebDesign::Links[index].caption);
}

QString linkAddress(int index)
{
    return QString::fromLatin1(WebDesign::Links[index].address);
}

} // namespace

frmWeb::frmWeb(QWidget *parent) : InfoDialog(WebDesign::Client, parent)
{
    namespace D = WebDesign;
    setObjectName(QStringLiteral("frmWeb"));
    setWindowTitle(D::caption());

    m_lblWeb = addLabel("lblWeb", D::lblWeb);

    QMap<int, QWidget *> byTabIndex;
    for (int i = 0; i < D::LinkCount; ++i) {
        auto *button = new QPushButton(linkCaption(i), this);
        button->setObjectName(QStringLiteral("cmdBrowse"));
        button->setProperty("Index", i);
        place(button, D::Links[i].geometry);
        connect(button, &QPushButton::clicked, this, [this, i] { cmdBrowse_Click(qint16(i)); });
        m_cmdBrowse[i] = button;
        byTabIndex.insert(D::Links[i].tabIndex, button);
    }
    m_cmdBrowse[D::DefaultLink]->setDefault(true);

    m_cmdCancel = new QPushButton(D::cancelCaption(), this);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    place(m_cmdCancel, D::cmdCancel);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmWeb::cmdCancel_Click);
    byTabIndex.insert(D::CancelTabIndex, m_cmdCancel);

    chainTabOrder(byTabIndex.values());
}

void frmWeb::Form_Load()
{
    // The second paragraph names the Index 0 button by its own caption and
    // address, so the two can never disagree.
    const QString crlf = QStringLiteral("\r\n");
    const QString text =
        QStringLiteral("　この画面ではインターネットエクスプローラーなどのWebブラウザを使って、") +
        QStringLiteral("所定のURLにアクセスできます。") + crlf + crlf +
        QStringLiteral("　例えば、「") + m_cmdBrowse[0]->text() +
        QStringLiteral("」をクリックすると、") + linkAddress(0) +
        QStringLiteral("　にアクセスします。");
    // The label breaks lines at LF only.
    m_lblWeb->setText(QString(text).replace(crlf, QStringLiteral("\n")));
}

QWidget *frmWeb::firstFocus() const
{
    return m_cmdBrowse[1];
}

// Esc does not close this dialog; only "キャンセル" and the close box do.
void frmWeb::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    InfoDialog::keyPressEvent(event);
}

void frmWeb::cmdBrowse_Click(qint16 Index)
{
    if (Index < 0 || Index >= WebDesign::LinkCount)
        return;
    UrlOpen(linkAddress(Index));
}

void frmWeb::UrlOpen(const QString &address)
{
    UrlOpener::open(address);
}

void frmWeb::cmdCancel_Click()
{
    unload();
}
