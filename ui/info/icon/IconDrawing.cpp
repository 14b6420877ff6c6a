#include "IconDrawing.h"

#include <QPainter>
#include <QPainterPath>

namespace
{

// The 16-colour palette of the small picture.
const QColor Black(0x00, 0x00, 0x00);
const QColor White(0xFF, 0xFF, 0xFF);
const QColor Grey(0x80, 0x80, 0x80);
const QColor Silver(0xC0, 0xC0, 0xC0);
const QColor Cyan(0x00, 0xFF, 0xFF);
const QColor Navy(0x00, 0x00, 0x80);
const QColor Purple(0x80, 0x00, 0x80);
const QColor Magenta(0xFF, 0x00, 0xFF);
const QColor Yellow(0xFF, 0xFF, 0x00);

// The words on each ruled line, as [from, to) in the small picture's pixels.
struct Word {
    qreal from;
    qreal to;
};
const Word Words[5][4] = {
    {{6, 7}, {8, 11}, {12, 15}, {16, 18}}, {{6, 7}, {8, 11}, {12, 15}, {0, 0}},
    {{6, 7}, {8, 11}, {12, 15}, {0, 0}},   {{6, 7}, {8, 11}, {12, 13}, {0, 0}},
    {{6, 7}, {8, 11}, {0, 0}, {0, 0}},
};

void drawSheet(QPainter &p)
{
    // Shadow below and to the right.
    p.fillRect(QRectF(6, 29, 19, 2), Grey);
    p.fillRect(QRectF(23, 9, 2, 22), Grey);

    // The sheet with its folded corner.
    const QPolygonF sheet{{3.5, 2.5}, {17.5, 2.5}, {22.5, 7.5}, {22.5, 28.5}, {3.5, 28.5}};
    p.setPen(QPen(Black, 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(White);
    p.drawPolygon(sheet);
    p.setBrush(Silver);
    p.drawPolygon(QPolygonF{{17.5, 2.5}, {22.5, 7.5}, {17.5, 7.5}});

    // Five lines of words, each over a cyan rule.
    for (int line = 0; line < 5; ++line) {
        const qreal top = 9 + 4 * line;
        p.fillRect(QRectF(5, top + 1.2, 16, 0.6), Cyan);
        p.setPen(QPen(Navy, 0.9, Qt::SolidLine, Qt::RoundCap));
        for (const Word &w : Words[line]) {
            if (w.to > w.from)
                p.drawLine(QPointF(w.from + 0.45, top + 0.5), QPointF(w.to - 0.45, top + 0.5));
        }
    }
}

void drawNoteHead(QPainter &p, QPointF centre)
{
    p.save();
    p.translate(centre);
    p.rotate(-20);
    p.setPen(Qt::NoPen);
    p.setBrush(Purple);
    p.drawEllipse(QPointF(0, 0), 2.6, 1.8);
    p.setBrush(Magenta);
    p.drawEllipse(QPointF(-0.9, -0.6), 1.0, 0.55);
    p.restore();
}

void drawNotes(QPainter &p)
{
    // Two stems under one slanting beam, lit along its upper edge.
    p.fillRect(QRectF(16, 13, 1, 13.5), Purple);
    p.fillRect(QRectF(28, 11, 1, 12.5), Purple);
    p.setPen(Qt::NoPen);
    p.setBrush(Purple);
    p.drawPolygon(QPolygonF{{16, 12.4}, {29, 9.6}, {29, 12.6}, {16, 15.4}});
    p.setBrush(Magenta);
    p.drawPolygon(QPolygonF{{16, 12.4}, {29, 9.6}, {29, 10.6}, {16, 13.4}});
    drawNoteHead(p, QPointF(14.4, 27.0));
    drawNoteHead(p, QPointF(26.4, 24.0));
}

void drawSparkle(QPainter &p)
{
    const QPointF c(27.5, 4.5);
    QPainterPath star;
    star.moveTo(c + QPointF(0, -2.6));
    star.quadTo(c, c + QPointF(2.6, 0));
    star.quadTo(c, c + QPointF(0, 2.6));
    star.quadTo(c, c + QPointF(-2.6, 0));
    star.quadTo(c, c + QPointF(0, -2.6));
    p.setPen(QPen(Yellow, 0.6));
    p.setBrush(Yellow);
    p.drawPath(star);
    p.setPen(Qt::NoPen);
    p.setBrush(White);
    p.drawEllipse(c, 0.5, 0.5);
}

} // namespace

QImage IconDrawing::image(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Drawn in the small picture's 32 x 32 grid.
    p.scale(size / 32.0, size / 32.0);
    drawSheet(p);
    drawNotes(p);
    drawSparkle(p);
    return image;
}
