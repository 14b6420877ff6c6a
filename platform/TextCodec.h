#pragma once

#include "FileError.h"

#include <QByteArrayView>
#include <QStringList>
#include <QStringView>

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
        QStringList lines;
        // Set when a line holds invalid bytes: `lines` then ends just before
        // that line, and error.line names it.
        FileError error;
        // Which line ends the file uses.
        bool crlf = false;
        bool lf = false;
        bool cr = false;
    };

    // The same, as one text with the place of each line in it: cheaper for
    // large files, as no separate string is made until a line is asked for.
    struct Span {
        qsizetype start;
        qsizetype length;
    };
    struct DecodedText {
        Encoding encoding = Encoding::Utf8;
        bool hasBom = false;
        QString text;
        QList<Span> spans;
        // Set when the spans were not made: text is the whole file, valid,
        // to be split with nextLine().
        bool whole = false;
        FileError error;
        bool crlf = false;
        bool lf = false;
        bool cr = false;
    };

    static Decoded decode(QByteArrayView bytes);
    static DecodedText decodeText(QByteArrayView bytes, bool split = true);
    // The line that starts at `from`: sets its length and returns where the
    // next line starts (after its CR LF, LF or CR).
    static qsizetype nextLine(QStringView text, qsizetype from, qsizetype &length);

    // Index of the first character (or surrogate pair) that CP932 cannot
    // write, or -1 when the whole text can be written.
    static qsizetype firstUnencodable(QStringView text);
    // CP932 bytes of text; only meaningful when firstUnencodable() is -1.
    static QByteArray encodeCp932(QStringView text);
};
