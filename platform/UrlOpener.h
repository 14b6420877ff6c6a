#pragma once

#include <QString>

#include <functional>

// Opens a web address in the user's browser. The outcome is not reported:
// the browser runs on its own and a failure shows nothing of ours.
namespace UrlOpener
{

void open(const QString &address);

// Tests divert every address to a hook; an empty hook restores the browser.
using Hook = std::function<void(const QString &address)>;
void setHook(Hook hook);

} // namespace UrlOpener
