#pragma once

#include "LyricWindow.h"

#include <QStringList>

// The engine's window when there is no screen: the text lives in memory, and
// a message box is kept for the caller to print, answered the way a user who
// cannot mend anything from here would: Cancel, or OK for a box without it.
class TerminalWindow : public LyricWindow
{
public:
    QString text() const override { return m_text; }
    void setText(const QString &text) override { m_text = text; }
    void appendText(const QString &tail) override { m_text += tail; }
    qsizetype textLength() const override { return m_text.size(); }
    void setSelStart(qsizetype) override {}
    MsgAnswer messageBox(const QString &prompt, MsgButtons buttons, MsgIcon icon,
                         const QString &title) override;
    void unload() override { m_unloaded = true; }

    bool unloaded() const { return m_unloaded; }
    // Every box shown so far, its lines joined into one line.
    const QStringList &messages() const { return m_messages; }

private:
    QString m_text;
    QStringList m_messages;
    bool m_unloaded = false;
};
