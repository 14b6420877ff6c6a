#pragma once

#include "UrlOpener.h"

#include <QStringList>

// Records the addresses opened while it lives, instead of starting a browser.
struct FakeUrlOpener {
    QStringList opened;

    FakeUrlOpener()
    {
        UrlOpener::setHook([this](const QString &a) { opened.append(a); });
    }
    ~FakeUrlOpener() { UrlOpener::setHook({}); }
};
