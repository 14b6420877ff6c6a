#pragma once

#include <QString>

// Decides whether a file can be shown as the program's help (an HTML
// document), and words the explanation the viewer shows in its place when it
// cannot.
class HelpFile
{
public:
    enum class Status {
        Ok,
        NotNamed,   // no file was given
        Missing,    // nothing by that name
        Unreadable, // there, but it cannot be read as a file
        NotHtml,    // readable, but not an HTML document (a binary help file, say)
        TooComplex, // an HTML page Qt could not lay out in reasonable time
    };

    // Far beyond any help document; a larger file is something else and is
    // not read into memory at all.
    static constexpr qint64 MaxBytes = 16 * 1024 * 1024;

    // Reads the file to decide; `reason` gets a short Japanese cause for
    // Unreadable.
    static Status check(const QString &path, QString *reason = nullptr);

    // The text of a page: in the character set the page declares, else in
    // UTF-8 or CP932, whichever reads without error. `garbled` is set when
    // neither does, and the text then holds replacement characters.
    static QString text(const QByteArray &bytes, bool *garbled = nullptr);

    // A small HTML page saying what is wrong and what to do about it.
    static QString problemPage(Status status, const QString &path, const QString &reason = {});
};
