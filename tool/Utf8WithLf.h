#pragma once

#include <QByteArray>
#include <QStringView>

// Songs as a terminal or a pipe wants them: UTF-8, lines broken by LF. The
// engine's text breaks lines with CR LF and is nearly all kana and kanji;
// where the processor has the vector instructions for it, sixteen
// characters are encoded at a time.
class Utf8WithLf
{
public:
    // Appends `text` in UTF-8 with each CR LF written as LF (a lone CR
    // stays, a lone surrogate becomes U+FFFD).
    static void append(QStringView text, QByteArray &out);
};
