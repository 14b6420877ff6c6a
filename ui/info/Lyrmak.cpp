#include "Lyrmak.h"

#include "HelpLauncher.h"

void Lyrmak::ShowHelp(const QString &path)
{
    // No owner window, the contents command, no data; what the viewer makes
    // of it is not examined.
    HelpLauncher::show(nullptr, path, HelpLauncher::ContentsCommand, 0);
}
