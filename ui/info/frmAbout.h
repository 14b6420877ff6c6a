#pragma once

#include "InfoDialog.h"

class QLabel;
class QPushButton;
class IconPicture;

// The About dialog: the program's name, version, a description, the
// copyright and a legal notice. Created once by the main window; every
// showModal() loads it afresh. "OK", Enter, Esc and the close box all close
// it.
class frmAbout : public InfoDialog
{
    Q_OBJECT
public:
    explicit frmAbout(QWidget *parent = nullptr);

protected:
    void Form_Load() override;
    QWidget *firstFocus() const override;

private slots:
    void cmdOK_Click();

private:
    QPushButton *m_cmdOK = nullptr;
    IconPicture *m_picIcon = nullptr;
    QLabel *m_lblDescription = nullptr;
    QLabel *m_lblDisclaimer = nullptr;
    QLabel *m_lblTitle = nullptr;
    QLabel *m_lblVersion = nullptr;
    QLabel *m_lblc = nullptr;
};
