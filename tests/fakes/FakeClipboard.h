#pragma once

#include "Clipboard.h"

#include <QStringList>

// A clipboard in memory: `text` is nullopt while it holds no text; calls
// named in `failing` fail; `log` records every call.
class FakeClipboard : public Clipboard
{
public:
    using Text = std::optional<QString>;
    using Flag = std::optional<bool>;
    Text text;
    QStringList failing;
    QStringList log;

    bool Clear() override { return step("Clear") && (text.reset(), true); }
    bool SetText(const QString &t) override { return step("SetText") && (text = t, true); }
    Text GetText() override { return step("GetText") ? Text(text.value_or(QString())) : Text(); }
    Flag GetFormat() override { return step("GetFormat") ? Flag(text.has_value()) : Flag(); }
    bool step(const QString &call) { return log << call, !failing.contains(call); }
};
