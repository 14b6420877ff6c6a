#include "IconPicture.h"

#include <QPainter>
#include <QStyleOptionFocusRect>

IconPicture::IconPicture(const QPixmap &picture, QWidget *parent)
    : QFrame(parent), m_picture(picture)
{
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
}

void IconPicture::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect inside = contentsRect();
    painter.drawPixmap(inside.topLeft(), m_picture);
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = inside;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}
