#pragma once

#include <QStringView>
#include <QtGlobal>

// What a page would cost Qt's text engine, read from its markup alone before
// Qt parses or lays it out. Qt's parser slows down with the square of the
// nesting depth (and its stack ends at a few thousand levels), each table
// level doubles the layout of everything inside it, and a list's items cost
// with the square of their number; an image some millions of pixels wide or
// high never gets laid out at all. The limits lie far above any real help
// page and keep every page the viewer accepts on screen well within 2 s
// (figures in bench/bench_helpviewer.cpp).
class HtmlShape
{
public:
    static constexpr int MaxDepth = 256;
    static constexpr int MaxTableDepth = 8;
    // About 10 µs of Qt's time each: one element outside tables.
    static constexpr qint64 MaxCost = 100'000;
    // Pixels, the width or height an <img> asks for.
    static constexpr double MaxImageSide = 100'000;

    int depth = 0;      // deepest nesting of elements
    int tableDepth = 0; // deepest nesting of tables
    qint64 elements = 0;
    qint64 cost = 0;
    double imageSide = 0; // the largest

    bool fits() const
    {
        return depth <= MaxDepth && tableDepth <= MaxTableDepth && cost <= MaxCost &&
               imageSide <= MaxImageSide;
    }

    // Stops reading as soon as the page is past a limit.
    static HtmlShape of(QStringView html);
};
