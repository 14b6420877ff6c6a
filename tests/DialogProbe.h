#pragma once

#include "InfoDialog.h"

#include <QAccessible>
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

// What a screen reader meets in the open dialog, in its order: each child's
// object name (with its Index in a control array), and "(picture)" for one
// announced as a picture.
inline QStringList readingOrder(InfoDialog &dialog)
{
    QStringList seen;
    runModal(dialog, [&] {
        QAccessibleInterface *window = QAccessible::queryAccessibleInterface(&dialog);
        for (int i = 0; window && i < window->childCount(); ++i) {
            QAccessibleInterface *child = window->child(i);
            const QObject *o = child->object();
            const QString name = o ? o->objectName() : QString();
            const QVariant index = o ? o->property("Index") : QVariant();
            if (name != QLatin1String("Line1"))
                seen << name + (index.isValid() ? QString::number(index.toInt()) : QString()) +
                            (child->role() == QAccessible::Graphic ? "(picture)" : "");
        }
    });
    return seen;
}

} // namespace DialogProbe
