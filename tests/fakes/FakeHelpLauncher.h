#pragma once

#include "HelpLauncher.h"

#include <QList>

// Records the help requests made while it lives, instead of starting the viewer.
struct FakeHelpLauncher {
    QList<HelpLauncher::Request> requests;

    FakeHelpLauncher()
    {
        HelpLauncher::setHook([this](const HelpLauncher::Request &r) { requests.append(r); });
    }
    ~FakeHelpLauncher() { HelpLauncher::setHook({}); }
};
