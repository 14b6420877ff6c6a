#pragma once

#include <QString>
#include <optional>

// The system clipboard, plain text only. Every operation reports whether it
// worked, so that an edit command can stop at the step that failed. Tests
// derive a scripted fake; the program uses this class as it is.
//
// Text goes out with the platform's line ends (LF) and comes back as the
// platform holds it; the text area accepts LF, CR LF and CR alike.
class Clipboard
{
public:
    virtual ~Clipboard() = default;

    // Empties the clipboard of data in every format.
    virtual bool Clear();
    // Puts text on the clipboard in the text format.
    virtual bool SetText(const QString &text);
    // The clipboard's text, or the empty string when it holds no text;
    // nullopt when the clipboard cannot be read.
    virtual std::optional<QString> GetText();
    // Whether the clipboard holds data in the text format (text/plain: a
    // file list or a picture alone is not text); nullopt when it cannot be
    // asked.
    virtual std::optional<bool> GetFormat();

    // Plain text in any of its forms: text/plain, or text/plain with a
    // charset, which some programs offer alone.
    static bool holdsText(const class QMimeData *data);
    static QString textOf(const QMimeData *data);
};
