#pragma once

#include <QEvent>
#include <QPoint>
#include <QRect>

class QWidget;

// Centres a top-level window's frame, title bar included. A window can only
// be placed by its client area before it is shown; the window manager
// reports its frame later, with a move or a resize, and the frame is
// centred then, once. A window the user has already dragged elsewhere stays
// where it is.
class FrameCentring
{
public:
    // The window's client area now stands at `placedAt`; centre the frame in
    // `area` once it is known (a null area: the window's screen at that time).
    void placed(QPoint placedAt, QRect area = QRect());
    // To be called after the window has handled each of its events.
    void afterEvent(QWidget &window, QEvent::Type type);

private:
    void centre(QWidget &window);

    QRect m_area;
    QPoint m_placedAt;
    bool m_pending = false;
};
