#include "TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

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

QString prepareForEncoding(QStringView text)
{
    QString s = text.toString();
    for (QChar &c : s) {
        const char16_t u = c.unicode();
        if (u == kSub)
            c = QChar(kFs);
        else if (u == kFs)
            c = QChar(kDel);
        else if (u == kDel)
            c = QChar(kSub);
    }
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

// Splits on CR LF, LF or CR. A line end at the very end adds no empty line.
template <typename View, typename Sink>
void splitLines(View text, TextCodec::DecodedText &d, Sink sink)
{
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const auto c = text[i];
        if (c == '\n') {
            d.lf = true;
        } else if (c == '\r') {
            if (i + 1 < n && text[i + 1] == '\n') {
                d.crlf = true;
                if (!sink(text.sliced(start, i - start)))
                    return;
                ++i;
                start = i + 1;
                continue;
            }
            d.cr = true;
        } else {
            continue;
        }
        if (!sink(text.sliced(start, i - start)))
            return;
        start = i + 1;
    }
    if (start < n)
        sink(text.sliced(start));
}

} // namespace

qsizetype TextCodec::nextLine(QStringView text, qsizetype from, qsizetype &length)
{
    const char16_t *p = text.utf16();
    const qsizetype n = text.size();
    qsizetype i = from;
    while (i < n && p[i] != u'\n' && p[i] != u'\r')
        ++i;
    length = i - from;
    if (i < n && p[i] == u'\r' && i + 1 < n && p[i + 1] == u'\n')
        return i + 2;
    return i < n ? i + 1 : n;
}

TextCodec::DecodedText TextCodec::decodeText(QByteArrayView bytes, bool split)
{
    DecodedText d;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        d.hasBom = true;
        bytes = bytes.sliced(3);
    }

    // A cheap validity scan first: CP932 data usually fails it within its
    // first few bytes, so it is never converted twice.
    d.encoding = (d.hasBom || bytes.isValidUtf8()) ? Encoding::Utf8 : Encoding::Cp932;
    if (decodeWith(bytes, d.encoding, d.text)) {
        if (!split) {
            d.whole = true;
            return d;
        }
        const QChar *base = d.text.constData();
        splitLines(QStringView(d.text), d, [&d, base](QStringView line) {
            d.spans.append({line.data() - base, line.size()});
            return true;
        });
        return d;
    }

    // Slow path, only for a broken file: find the first line that does not
    // decode and keep the lines before it.
    d.text.clear();
    int lineNo = 0;
    splitLines(bytes, d, [&](QByteArrayView line) {
        ++lineNo;
        QString decoded;
        if (!decodeWith(line, d.encoding, decoded)) {
            d.error.kind = FileError::Kind::BadBytes;
            d.error.line = lineNo;
            d.error.bytes = firstBadUnit(line, d.encoding);
            return false;
        }
        d.spans.append({d.text.size(), decoded.size()});
        d.text += decoded;
        return true;
    });
    return d;
}

TextCodec::Decoded TextCodec::decode(QByteArrayView bytes)
{
    const DecodedText t = decodeText(bytes);
    Decoded d;
    d.encoding = t.encoding;
    d.hasBom = t.hasBom;
    d.error = t.error;
    d.crlf = t.crlf;
    d.lf = t.lf;
    d.cr = t.cr;
    d.lines.reserve(t.spans.size());
    for (const Span &s : t.spans)
        d.lines.append(t.text.sliced(s.start, s.length));
    return d;
}

qsizetype TextCodec::firstUnencodable(QStringView text)
{
    {
        QStringEncoder e("CP932");
        const QByteArray bytes = e.encode(text);
        Q_UNUSED(bytes);
        if (!e.hasError())
            return -1;
    }
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len =
            (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ? 2
                                                                                               : 1;
        QStringEncoder e("CP932");
        const QByteArray bytes = e.encode(text.sliced(i, len));
        Q_UNUSED(bytes);
        if (e.hasError())
            return i;
        i += len;
    }
    return -1;
}

QByteArray TextCodec::encodeCp932(QStringView text)
{
    QStringEncoder e("CP932");
    bool rotated = false;
    for (QChar c : text)
        if (c.unicode() == kSub || c.unicode() == kFs || c.unicode() == kDel) {
            rotated = true;
            break;
        }
    if (rotated)
        return e.encode(prepareForEncoding(text));
    return e.encode(text);
}
