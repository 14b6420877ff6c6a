#pragma once

#include "MessageKind.h"

#include <QString>

// What the engine needs of the main window: its text, the caret, a message
// box and unloading. Text uses CR LF line breaks; positions count characters.
class LyricWindow
{
public:
    virtual ~LyricWindow() = default;
    virtual QString text() const = 0;
    virtual void setText(const QString &text) = 0;
    // Moves the caret; nothing stays selected.
    virtual void setSelStart(qsizetype pos) = 0;
    virtual MsgAnswer messageBox(const QString &prompt, MsgButtons buttons, MsgIcon icon,
                                 const QString &title) = 0;
    virtual void unload() = 0;

    // Appending lyrics only ever adds at the end: a window holding much text
    // can do that without copying it all.
    // False when the window refused to take it (it has said why).
    virtual bool appendText(const QString &tail)
    {
        setText(text() + tail);
        return true;
    }
    virtual qsizetype textLength() const { return text().size(); }
};
