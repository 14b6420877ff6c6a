#pragma once

#include "FrameCentring.h"
#include "Twips.h"

#include <QDialog>

class QLabel;

// What the About dialog and the web links dialog have in common: a fixed
// design in twips, a frame that cannot be resized, minimized or maximized,
// the program's icon, and a modal showing that loads the dialog afresh and
// centres it on the screen, not on the window that opened it.
class InfoDialog : public QDialog
{
    Q_OBJECT
public:
    // Loads the dialog, shows it modally and returns once it is closed.
    void showModal();

protected:
    InfoDialog(Twips::Size client, QWidget *parent);

    // Fills in what the design leaves to loading; runs at every showing.
    virtual void Form_Load() = 0;
    // The control with tab index 0, focused when the dialog opens.
    virtual QWidget *firstFocus() const = 0;

    // Puts a control where the design says and remembers its design height.
    void place(QWidget *control, const Twips::Rect &rect);
    // A label of the design: top-left aligned, wrapping, plain text, no focus.
    QLabel *addLabel(const char *name, const Twips::Rect &rect);
    // Makes Tab visit the controls in the order given.
    static void chainTabOrder(const QList<QWidget *> &controls);
    // Closes the dialog; the modal showing then returns.
    void unload();

    bool event(QEvent *event) override;

private:
    void fitLabels();
    // Screen readers take the controls in the order of the dialog's children:
    // make it the order on screen, top to bottom and left to right. The Tab
    // order is set on its own and stays.
    void readInScreenOrder();
    void centreOnScreen();

    FrameCentring m_centring;
};
