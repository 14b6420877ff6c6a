#pragma once

#include "LyricWindow.h"

#include <QStringList>
#include <functional>

// The engine's window when there is no screen: the text lives in memory, and
// a message box is kept for the caller to print, answered the way a user who
// cannot mend anything from here would: Cancel, or OK for a box without it.
class TerminalWindow : public LyricWindow
{
public:
    // Receives each piece of text as it is appended.
    using Sink = std::function<void(const QString &piece)>;

    QString text() const override { return m_text; }
    void setText(const QString &text) override;
    bool appendText(const QString &tail) override;
    qsizetype textLength() const override { return m_length; }
    void setSelStart(qsizetype) override {}
    MsgAnswer messageBox(const QString &prompt, MsgButtons buttons, MsgIcon icon,
                         const QString &title) override;
    void unload() override { m_unloaded = true; }

    // With a sink, the text is handed on instead of kept, so that however
    // much is appended the window holds none of it: text() stays empty and
    // setText() starts a new text.
    void setSink(Sink sink) { m_sink = std::move(sink); }

    bool unloaded() const { return m_unloaded; }
    // Every box shown so far, its lines joined into one line.
    const QStringList &messages() const { return m_messages; }

private:
    QString m_text;
    qsizetype m_length = 0;
    Sink m_sink;
    QStringList m_messages;
    bool m_unloaded = false;
};
