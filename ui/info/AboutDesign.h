#pragma once

#include "Twips.h"

#include <QColor>
#include <QString>

// The About dialog's fixed design, in twips of its client area. The texts
// here are the static ones; Form_Load assigns the rest at every showing.
namespace AboutDesign
{

inline constexpr Twips::Size Client{5685, 3150};

// In tab order: cmdOK has the focus when the dialog opens.
inline constexpr Twips::Rect cmdOK{4245, 2625, 1380, 345};
inline constexpr Twips::Rect picIcon{240, 240, 540, 540};
inline constexpr Twips::Rect lblDescription{1050, 1125, 4125, 690};
inline constexpr Twips::Rect lblDisclaimer{255, 2625, 3780, 465};
inline constexpr Twips::Rect lblTitle{1050, 240, 3885, 480};
inline constexpr Twips::Rect lblVersion{1050, 780, 3885, 225};
inline constexpr Twips::Rect lblc{960, 2040, 4215, 375};

// Line1: an etched rule between the copyright and the legal notice, a grey
// line with a white one just below it.
struct Line {
    Twips::HLine geometry;
    QRgb colour;
};
inline constexpr Line Line1[2] = {
    {{105, 5654, 2460, 2}, qRgb(255, 255, 255)},
    {{90, 5654, 2445, 1}, qRgb(128, 128, 128)},
};

inline QString okCaption()
{
    return QStringLiteral("OK");
}

inline QString disclaimer()
{
    return QStringLiteral(
        "本ソフトは現状のまま提供されます。使用による損害について作者は責任を負いません。");
}

inline QString copyright()
{
    return QStringLiteral("Copyright (C) 2026 ミルトナ開発チーム");
}

// What the design holds before Form_Load fills it in; never seen by the user.
inline QString placeholderCaption()
{
    return QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報");
}
inline QString placeholderTitle()
{
    return QStringLiteral("ｱﾌﾟﾘｹｰｼｮﾝ ﾀｲﾄﾙ");
}
inline QString placeholderVersion()
{
    return QStringLiteral("ﾊﾞｰｼﾞｮﾝ");
}
inline QString placeholderDescription()
{
    return QStringLiteral("ｱﾌﾟﾘｹｰｼｮﾝの説明");
}

} // namespace AboutDesign
