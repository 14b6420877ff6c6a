#pragma once

#include <QDialog>

// The About dialog. Created once by the main window; every showing loads it
// afresh.
class frmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit frmAbout(QWidget *parent = nullptr);
    // Loads the dialog, shows it modally and returns once it is closed.
    void showModal();
};
