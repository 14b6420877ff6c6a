#include "frmAbout.h"

#include "AboutDesign.h"
#include "AppIcon.h"
#include "AppInfo.h"
#include "IconPicture.h"

#include <QLabel>
#include <QPushButton>

namespace
{

// Black text as the design asks, unless the desktop's dialogs are dark:
// black on a dark background could not be read.
void setBlackText(QLabel *label)
{
    QPalette p = label->palette();
    if (p.color(QPalette::Window).lightness() < 128)
        return;
    p.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(p);
}

} // namespace

frmAbout::frmAbout(QWidget *parent) : InfoDialog(AboutDesign::Client, parent)
{
    namespace D = AboutDesign;
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(D::placeholderCaption());

    m_cmdOK = new QPushButton(D::okCaption(), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    // Both the default and the cancel button: Enter presses it, and Esc
    // reaches QDialog::reject(), which closes the dialog just the same.
    m_cmdOK->setDefault(true);
    place(m_cmdOK, D::cmdOK);
    connect(m_cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

    m_picIcon = new IconPicture(AppIcon::pixmap(), this);
    m_picIcon->setObjectName(QStringLiteral("picIcon"));
    m_picIcon->setAccessibleName(QStringLiteral("ミルトナのアイコン"));
    place(m_picIcon, D::picIcon);

    m_lblDescription = addLabel("lblDescription", D::lblDescription);
    setBlackText(m_lblDescription);
    m_lblDescription->setText(D::placeholderDescription());
    m_lblDisclaimer = addLabel("lblDisclaimer", D::lblDisclaimer);
    setBlackText(m_lblDisclaimer);
    m_lblDisclaimer->setText(D::disclaimer());
    m_lblTitle = addLabel("lblTitle", D::lblTitle);
    setBlackText(m_lblTitle);
    m_lblTitle->setText(D::placeholderTitle());
    m_lblVersion = addLabel("lblVersion", D::lblVersion);
    m_lblVersion->setText(D::placeholderVersion());
    m_lblc = addLabel("lblc", D::lblc);
    m_lblc->setText(D::copyright());

    for (int i = 0; i < 2; ++i) {
        auto *line = new QWidget(this);
        line->setObjectName(QStringLiteral("Line1"));
        line->setProperty("Index", i);
        line->setAutoFillBackground(true);
        QPalette p = line->palette();
        p.setColor(QPalette::Window, QColor::fromRgb(D::Line1[i].colour));
        line->setPalette(p);
        line->setGeometry(D::Line1[i].geometry.pixels());
    }

    chainTabOrder({m_cmdOK, m_picIcon});
}

void frmAbout::Form_Load()
{
    setWindowTitle(AppInfo::title() + QStringLiteral("のﾊﾞｰｼﾞｮﾝ情報"));
    m_lblVersion->setText(QStringLiteral("ﾊﾞｰｼﾞｮﾝ 7.0"));
    m_lblTitle->setText(QStringLiteral("驚異のミルトナ   トルメ編"));
    m_lblDescription->setText(QStringLiteral(
        "驚異のミルトナは、トルメな曲の歌詞を自動的に作成する非実用ソフトです。"
        "なかなかスルドい表現が現れたりして、実用性もあるようです（本当だろうか）。"));
}

QWidget *frmAbout::firstFocus() const
{
    return m_cmdOK;
}

void frmAbout::cmdOK_Click()
{
    unload();
}
