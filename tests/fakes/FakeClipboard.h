#pragma once

#include "Clipboard.h"

#include <QSet>
#include <QStringList>

// A clipboard in memory: `text` is nullopt while it holds no text; calls
// named in `failing` fail; `log` records every call.
class FakeClipboard : public Clipboard
{
public:
    std::optional<QString> text;
    QSet<QString> failing;
    QStringList log;

    bool Clear() override { return step("Clear") && (text.reset(), true); }
    bool SetText(const QString &t) override { return step("SetText") && (text = t, true); }
    std::optional<QString> GetText() override
    {
        return step("GetText") ? std::optional(text.value_or(QString())) : std::nullopt;
    }
    std::optional<bool> GetFormat() override
    {
        return step("GetFormat") ? std::optional(text.has_value()) : std::nullopt;
    }

private:
    bool step(const char *call)
    {
        log << QLatin1String(call);
        return !failing.contains(QLatin1String(call));
    }
};
