#include "TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <utility>

namespace
{

// ICU's CP932 table rotates three ASCII control codes (0x1A, 0x1C, 0x7F) the
// way IBM's mainframe tables do. Windows maps them to themselves; undo it.
constexpr char16_t kSub = 0x1A, kFs = 0x1C, kDel = 0x7F;

void fixDecodedControls(QString &s)
{
    for (QChar &c : s) {
        const char16_t u = c.unicode();
        if (u == kFs)
            c = QChar(kSub);
        else if (u == kDel)
            c = QChar(kFs);
        else if (u == kSub)
            c = QChar(kDel);
    }
}

// Characters that CP932 holds under another code point, as the common
// converters write them: the wave dash an input method types, and the minus,
// dash and signs that text from web pages carries. Each goes to the
// character that the CP932 table maps to those same bytes.
constexpr std::pair<char16_t, char16_t> kCp932Forms[] = {
    {0x301C, 0xFF5E}, // WAVE DASH -> 0x8160
    {0x2016, 0x2225}, // DOUBLE VERTICAL LINE -> 0x8161
    {0x2212, 0xFF0D}, // MINUS SIGN -> 0x817C
    {0x2014, 0x2015}, // EM DASH -> 0x815C
    {0x00A2, 0xFFE0}, // CENT SIGN -> 0x8191
    {0x00A3, 0xFFE1}, // POUND SIGN -> 0x8192
    {0x00AC, 0xFFE2}, // NOT SIGN -> 0x81CA
    {0x00A6, 0xFFE4}, // BROKEN BAR -> 0xFA55
    {kSub, kFs},      // the control codes ICU rotates, rotated the other way
    {kFs, kDel},      {kDel, kSub},
};

char16_t cp932Form(char16_t u)
{
    for (auto [from, to] : kCp932Forms)
        if (u == from)
            return to;
    return u;
}

bool needsPreparing(QStringView text)
{
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return cp932Form(c.unicode()) != c.unicode(); });
}

// One character for one, so positions in the text stay as they were.
QString prepareForEncoding(QStringView text)
{
    QString s = text.toString();
    for (QChar &c : s)
        c = QChar(cp932Form(c.unicode()));
    return s;
}

bool hasRotatedControls(QByteArrayView bytes)
{
    return bytes.contains('\x1A') || bytes.contains('\x1C') || bytes.contains('\x7F');
}

bool decodeWith(QByteArrayView bytes, TextCodec::Encoding enc, QString &out)
{
    if (enc == TextCodec::Encoding::Utf8) {
        QStringDecoder d(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        out = d.decode(bytes);
        return !d.hasError();
    }
    QStringDecoder d("CP932", QStringConverter::Flag::Stateless);
    out = d.decode(bytes);
    if (d.hasError())
        return false;
    if (hasRotatedControls(bytes))
        fixDecodedControls(out);
    return true;
}

// Length of the character that starts at bytes[i], judged from its first byte.
qsizetype unitLength(QByteArrayView bytes, qsizetype i, TextCodec::Encoding enc)
{
    const auto b = static_cast<unsigned char>(bytes[i]);
    qsizetype len = 1;
    if (enc == TextCodec::Encoding::Utf8) {
        if (b >= 0xC2 && b <= 0xDF)
            len = 2;
        else if (b >= 0xE0 && b <= 0xEF)
            len = 3;
        else if (b >= 0xF0 && b <= 0xF4)
            len = 4;
    } else if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) {
        len = 2;
    }
    return std::min(len, bytes.size() - i);
}

QByteArray firstBadUnit(QByteArrayView line, TextCodec::Encoding enc)
{
    QString scratch;
    for (qsizetype i = 0; i < line.size();) {
        const qsizetype len = unitLength(line, i, enc);
        if (!decodeWith(line.sliced(i, len), enc, scratch))
            return line.sliced(i, len).toByteArray();
        i += len;
    }
    return line.first(std::min<qsizetype>(8, line.size())).toByteArray();
}

// The line of `text` that starts at `from`: sets its length and returns where
// the next line starts (after its CR LF, LF or CR).
template <typename View> qsizetype nextBreak(View text, qsizetype from, qsizetype &length)
{
    const qsizetype n = text.size();
    qsizetype i = from;
    while (i < n && text[i] != '\n' && text[i] != '\r')
        ++i;
    length = i - from;
    if (i + 1 < n && text[i] == '\r' && text[i + 1] == '\n')
        return i + 2;
    return i < n ? i + 1 : n;
}

// Only a multi-byte UTF-8 sequence has a byte of 0x80 or more, and only one
// of three or four bytes (all Japanese text) has a lead byte of 0xE0 or more.
bool hasByteFrom(QByteArrayView bytes, unsigned char from)
{
    return std::any_of(bytes.begin(), bytes.end(),
                       [from](char c) { return static_cast<unsigned char>(c) >= from; });
}

bool validCp932(QByteArrayView bytes)
{
    QString scratch;
    return decodeWith(bytes, TextCodec::Encoding::Cp932, scratch);
}

} // namespace

// Some files are valid in both encodings: a CP932 file of ASCII and
// half-width katakana can be valid UTF-8 (ﾃｽ is C3 BD, UTF-8 for "ý"). Text
// that is UTF-8 on purpose almost always holds a sequence of three or more
// bytes; one that holds only two-byte sequences is far more likely CP932.
TextCodec::Encoding TextCodec::readingOf(QByteArrayView bytes, bool hasBom)
{
    if (hasBom)
        return Encoding::Utf8;
    // A cheap validity scan first: CP932 data usually fails it within its
    // first few bytes, so it is never converted twice.
    if (bytes.isValidUtf8()) {
        if (!hasByteFrom(bytes, 0x80) || hasByteFrom(bytes, 0xE0))
            return Encoding::Utf8;
        return validCp932(bytes) ? Encoding::Cp932 : Encoding::Utf8;
    }
    return Encoding::Cp932;
}

std::optional<QString> TextCodec::otherReading(QByteArrayView bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF") || !hasByteFrom(bytes, 0x80) || !bytes.isValidUtf8())
        return std::nullopt;
    const Encoding read = readingOf(bytes, false);
    const Encoding other = read == Encoding::Utf8 ? Encoding::Cp932 : Encoding::Utf8;
    QString text;
    if (!decodeWith(bytes, other, text))
        return std::nullopt;
    return text;
}

qsizetype TextCodec::nextLine(QStringView text, qsizetype from, qsizetype &length)
{
    return nextBreak(text, from, length);
}

QStringList TextCodec::Decoded::lines() const
{
    QStringList out;
    qsizetype length = 0;
    for (qsizetype at = 0; at < text.size();) {
        const qsizetype next = nextLine(text, at, length);
        out.append(text.sliced(at, length));
        at = next;
    }
    return out;
}

TextCodec::Decoded TextCodec::decode(QByteArrayView bytes)
{
    Decoded d;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        d.hasBom = true;
        bytes = bytes.sliced(3);
    }

    d.encoding = readingOf(bytes, d.hasBom);
    if (decodeWith(bytes, d.encoding, d.text))
        return d;

    // Slow path, only for a broken file: keep the lines before the first
    // one that does not decode, each ended by LF. Without a byte-order mark
    // the file is read in the encoding that holds out longer, so that a
    // UTF-8 file with one Shift-JIS line is reported at that line.
    const auto readUpToBadLine = [&](TextCodec::Encoding enc, Decoded &out) {
        out.text.clear();
        out.encoding = enc;
        qsizetype length = 0;
        for (qsizetype at = 0, lineNo = 1; at < bytes.size(); ++lineNo) {
            const qsizetype next = nextBreak(bytes, at, length);
            const QByteArrayView line = bytes.sliced(at, length);
            QString decoded;
            if (!decodeWith(line, enc, decoded)) {
                out.error.kind = FileError::Kind::BadBytes;
                out.error.line = int(lineNo);
                out.error.bytes = firstBadUnit(line, enc);
                break;
            }
            out.text += decoded + QLatin1Char('\n');
            at = next;
        }
    };
    readUpToBadLine(d.encoding, d);
    if (!d.hasBom) {
        Decoded other = d;
        readUpToBadLine(d.encoding == Encoding::Utf8 ? Encoding::Cp932 : Encoding::Utf8, other);
        if (other.error.line > d.error.line)
            return other;
    }
    return d;
}

qsizetype TextCodec::firstUnencodable(QStringView text)
{
    qsizetype at = -1;
    encodeCp932(text, &at);
    return at;
}

QByteArray TextCodec::encodeCp932(QStringView text, qsizetype *unencodable)
{
    QString prepared;
    if (needsPreparing(text)) {
        prepared = prepareForEncoding(text);
        text = prepared;
    }
    QStringEncoder e("CP932");
    const QByteArray bytes = e.encode(text);
    if (!unencodable)
        return bytes;
    *unencodable = -1;
    if (!e.hasError())
        return bytes;
    // Only for text that cannot be written: find the first such character.
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len =
            (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ? 2
                                                                                               : 1;
        QStringEncoder one("CP932");
        const QByteArray unit = one.encode(text.sliced(i, len));
        if (one.hasError()) {
            *unencodable = i;
            break;
        }
        i += len;
    }
    return bytes;
}
