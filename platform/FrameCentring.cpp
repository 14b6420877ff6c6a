#include "FrameCentring.h"

#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <algorithm>

void FrameCentring::placed(QPoint placedAt, QRect area)
{
    m_placedAt = placedAt;
    m_area = area;
    m_pending = true;
}

void FrameCentring::afterEvent(QWidget &window, QEvent::Type type)
{
    if ((type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show ||
         type == QEvent::WindowActivate) &&
        m_pending && window.isVisible())
        centre(window);
}

void FrameCentring::centre(QWidget &window)
{
    const QRect frame = window.frameGeometry();
    if (frame.size() == window.size())
        return;
    QRect free = m_area;
    if (free.isNull()) {
        if (!window.screen())
            return;
        free = window.screen()->availableGeometry();
    }
    m_pending = false;
    // The window manager itself may have shifted the window by its frame;
    // anything more is the user's doing.
    const QPoint shift = window.geometry().topLeft() - m_placedAt;
    const QPoint margins = window.geometry().topLeft() - frame.topLeft();
    if (shift.manhattanLength() > margins.manhattanLength() + 2)
        return;
    // Its top-left corner stays on the screen when the screen is smaller.
    QRect centred = QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, frame.size(), free);
    centred.moveTopLeft(
        QPoint(std::max(centred.left(), free.left()), std::max(centred.top(), free.top())));
    if (centred.topLeft() != frame.topLeft())
        window.move(centred.topLeft());
}
