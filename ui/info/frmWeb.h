#pragma once

#include <QDialog>

// The web links dialog. Created once by the main window; every showing loads
// it afresh.
class frmWeb : public QDialog
{
    Q_OBJECT
public:
    explicit frmWeb(QWidget *parent = nullptr);
    // Loads the dialog, shows it modally and returns once it is closed.
    void showModal();
};
