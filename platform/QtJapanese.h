#pragma once

// Qt's own texts (the text areas' context menus and the like) in Japanese,
// whatever the locale.
namespace QtJapanese
{
void install();
}
