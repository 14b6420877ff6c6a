#pragma once

#include "Twips.h"

#include <QString>

// The web links dialog's fixed design, in twips of its client area, and its
// one table of link captions and addresses.
namespace WebDesign
{

inline constexpr Twips::Size Client{6090, 4260};

inline constexpr Twips::Rect lblWeb{480, 240, 5175, 1095};
inline constexpr Twips::Rect cmdCancel{4200, 3840, 1335, 375};

inline QString caption()
{
    return QStringLiteral("関連のURLにアクセスする");
}

inline QString cancelCaption()
{
    return QStringLiteral("キャンセル");
}

// One row per cmdBrowse button, by Index. From the top the buttons stand in
// the order 0, 1, 3, 2; the Tab key visits them as `tabIndex` says.
struct Link {
    Twips::Rect geometry;
    int tabIndex;
    const char16_t *caption;
    const char *address;
};

inline constexpr int LinkCount = 4;
inline constexpr Link Links[LinkCount] = {
    {{480, 1560, 5055, 375}, 2, u"ミルトナ開発チームのホームページ", "https://www.example.org/"},
    {{480, 2120, 5055, 375},
     0,
     u"タイピング練習ソフトのホームページ",
     "https://www.example.org/typing/"},
    {{480, 3240, 5055, 375}, 1, u"ユーザー掲示板「作詞の広場」", "https://www.example.org/forum/"},
    {{480, 2680, 5055, 375},
     5,
     u"ダウンロードサイトの作品一覧",
     "https://www.example.com/authors/lyrmak-team/"},
};
inline constexpr int CancelTabIndex = 4;

// The button Enter presses when no other button has the focus.
inline constexpr int DefaultLink = 3;

} // namespace WebDesign
