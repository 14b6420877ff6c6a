#pragma once

#include "FileError.h"

#include <QByteArrayView>
#include <QStringList>
#include <QStringView>
#include <optional>

// Bytes of a data file to lines of text, and text to the bytes of the saved
// lyrics. Data files may be UTF-8 (with or without a byte-order mark) or CP932;
// a line may end in CR LF, LF or CR. Invalid bytes are reported, never
// replaced.
class TextCodec
{
public:
    enum class Encoding { Utf8, Cp932 };

    struct Decoded {
        Encoding encoding = Encoding::Utf8;
        bool hasBom = false;
        // The decoded text, line ends as they were. When a line holds
        // invalid bytes, `text` holds only the lines before it, each ended by
        // LF, and error.line names it.
        QString text;
        FileError error;

        QStringList lines() const;
    };

    static Decoded decode(QByteArrayView bytes);
    // How decode() reads bytes (after any byte-order mark): UTF-8 with a
    // byte-order mark, or when valid and holding a sequence of three or more
    // bytes; else CP932 when valid; else UTF-8 when valid; else CP932, which
    // then fails.
    static Encoding readingOf(QByteArrayView bytes, bool hasBom);
    // For a file without a byte-order mark that is valid in both encodings
    // and reads differently in them: the text in the encoding decode() does
    // not choose. Empty when the file reads one way only.
    static std::optional<QString> otherReading(QByteArrayView bytes);
    // The line of `text` that starts at `from`: sets its length and returns
    // where the next line starts (after its CR LF, LF or CR). A line end at
    // the very end of the text adds no empty line.
    static qsizetype nextLine(QStringView text, qsizetype from, qsizetype &length);

    // Index of the first character (or surrogate pair) that CP932 cannot
    // write, or -1 when the whole text can be written.
    static qsizetype firstUnencodable(QStringView text);
    // CP932 bytes of text. When `unencodable` is given, it is set as
    // firstUnencodable() would set it; the bytes then mean nothing unless -1.
    static QByteArray encodeCp932(QStringView text, qsizetype *unencodable = nullptr);
};
