#pragma once

#include <QRect>
#include <QSize>

// The dialogs are drawn in twips, 1/1440 inch; at 96 dots per inch 15 twips
// make one pixel. Edges are rounded to the nearest pixel one by one, so
// controls that share an edge in twips share it in pixels too.
namespace Twips
{

inline constexpr int PerPixel = 15;

constexpr int px(int twips)
{
    return (twips + PerPixel / 2) / PerPixel;
}

struct Rect {
    int left;
    int top;
    int width;
    int height;

    QRect pixels() const
    {
        return QRect(px(left), px(top), px(left + width) - px(left), px(top + height) - px(top));
    }
};

struct Size {
    int width;
    int height;

    QSize pixels() const { return QSize(px(width), px(height)); }
};

// A straight horizontal line from (x1, y) to (x2, y), `thickness` pixels
// thick downwards from y.
struct HLine {
    int x1;
    int x2;
    int y;
    int thickness;

    QRect pixels() const { return QRect(px(x1), px(y), px(x2) - px(x1), thickness); }
};

} // namespace Twips
