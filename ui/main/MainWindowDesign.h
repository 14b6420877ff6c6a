#pragma once

#include <QRect>
#include <QSize>
#include <QString>

// The main window's fixed design. Sizes are in twips, the unit the design is
// drawn in; at 96 dots per inch 15 twips make one pixel.
namespace MainWindowDesign
{

inline constexpr int TwipsPerPixel = 15;

constexpr int px(int twips)
{
    return twips / TwipsPerPixel;
}

inline QString title()
{
    return QStringLiteral("驚異のミルトナ  トルメ編");
}

// The client area below the menu bar.
inline constexpr int ClientWidth = 7425;
inline constexpr int ClientHeight = 4590;

// txtMain, in the client area. The strips it leaves uncovered (above, to its
// right and below) are part of the design.
inline constexpr int TextLeft = 0;
inline constexpr int TextTop = 120;
inline constexpr int TextWidth = 7155;
inline constexpr int TextHeight = 4335;

inline QSize clientSize()
{
    return QSize(px(ClientWidth), px(ClientHeight));
}

inline QRect textArea()
{
    return QRect(px(TextLeft), px(TextTop), px(TextWidth), px(TextHeight));
}

} // namespace MainWindowDesign
