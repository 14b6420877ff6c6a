#pragma once

#include "InfoDialog.h"

#include <array>

class QLabel;
class QPushButton;

// The web links dialog: four buttons that each open one web address in the
// user's browser, and "キャンセル". Created once by the main window; every
// showModal() loads it afresh. Opening a page leaves it open; Esc does
// nothing, the close box acts as "キャンセル".
class frmWeb : public InfoDialog
{
    Q_OBJECT
public:
    explicit frmWeb(QWidget *parent = nullptr);

protected:
    void Form_Load() override;
    QWidget *firstFocus() const override;
    void keyPressEvent(QKeyEvent *event) override;

private slots:
    void cmdBrowse_Click(qint16 Index);
    void cmdCancel_Click();

private:
    void UrlOpen(const QString &address);

    QLabel *m_lblWeb = nullptr;
    std::array<QPushButton *, 4> m_cmdBrowse{};
    QPushButton *m_cmdCancel = nullptr;
};
