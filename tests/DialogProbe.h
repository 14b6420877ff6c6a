#pragma once

#include "InfoDialog.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <functional>

namespace DialogProbe
{

// Runs showModal() and `whileOpen` once the dialog is active. True when
// `whileOpen` closed the dialog; one left open is closed here.
inline bool runModal(InfoDialog &dialog, const std::function<void()> &whileOpen)
{
    bool closedItself = false;
    QTimer::singleShot(0, &dialog, [&] {
        if (QTest::qWaitForWindowActive(&dialog))
            whileOpen();
        closedItself = !dialog.isVisible();
        if (!closedItself)
            dialog.done(QDialog::Rejected);
    });
    dialog.showModal();
    return closedItself;
}

// What is wrong with the dialog shown over a main window in a corner: it must
// be modal, fixed at `size`, with an icon and no minimize or maximize button,
// centred on the screen, and no label may cut off its text or overlap.
inline QStringList windowProblems(InfoDialog &dialog, QSize size)
{
    QWidget mainWindow;
    mainWindow.setGeometry(10, 10, 200, 100);
    mainWindow.show();
    if (!QTest::qWaitForWindowActive(&mainWindow))
        return {"no main window"};
    QStringList problems;
    runModal(dialog, [&] {
        const QRect screen = mainWindow.screen()->availableGeometry();
        if ((dialog.geometry().center() - screen.center()).manhattanLength() > 1)
            problems << "not centred";
        if (dialog.size() != size || dialog.minimumSize() != dialog.maximumSize())
            problems << "not of the fixed size";
        if (dialog.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint))
            problems << "minimize or maximize button";
        if (QApplication::activeModalWidget() != &dialog || dialog.windowIcon().isNull())
            problems << "not modal or no icon";
        const auto controls = dialog.findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
        for (QWidget *w : controls) {
            auto *label = qobject_cast<QLabel *>(w);
            if (label && label->heightForWidth(label->width()) > label->height())
                problems << w->objectName() + " cuts off its text";
            for (QWidget *other : controls)
                if (other != w && w->geometry().intersects(other->geometry()))
                    problems << w->objectName() + " overlaps " + other->objectName();
        }
    });
    return problems;
}

} // namespace DialogProbe
