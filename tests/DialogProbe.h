#pragma once

#include "InfoDialog.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <functional>

// Helpers for tests of the modal information dialogs.
namespace DialogProbe
{

// Runs showModal() and, once the dialog is up and active, `whileOpen`.
// Returns true when `whileOpen` closed the dialog; one left open is closed
// by the probe so the test goes on.
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

// The member `index` of a control array.
template <typename T> T *indexed(const QWidget &parent, const char *name, int index)
{
    for (T *w : parent.findChildren<T *>(QLatin1String(name)))
        if (w->property("Index").toInt() == index)
            return w;
    return nullptr;
}

// Shows the dialog while a main window sits in a corner of the screen, and
// returns what is wrong with it: it must be modal, of the given fixed size,
// without minimize and maximize buttons, with the icon, centred on the
// screen, and every label must show its whole text without overlapping.
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
            problems << "not centred on the screen";
        if (dialog.size() != size || dialog.minimumSize() != dialog.maximumSize())
            problems << "not of the design's fixed size";
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
