#include "ReadingMaker.h"

#include "Morae.h"
#include "ReadingSource.h"

#include <QHash>
#include <algorithm>

namespace ReadingMaker
{

namespace
{

const QString kCrLf = QStringLiteral("\r\n");

// Latin letters and digits, half- or full-width: not read, whatever the
// analyser would make of them ("3" is san, mittsu or suri-).
bool isLatinOrDigit(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') ||
           (c >= u'０' && c <= u'９') || (c >= u'Ａ' && c <= u'Ｚ') || (c >= u'ａ' && c <= u'ｚ');
}

// Calls `f` with each part of `text`, left to right, as split() lists them.
template <typename F> void forEachPart(QStringView text, bool heldDigits, F f)
{
    const char16_t *p = text.utf16();
    const qsizetype n = text.size();
    qsizetype plainFrom = 0;
    for (qsizetype i = 0; i + 1 < n;) {
        const char16_t a = p[i], b = p[i + 1];
        const bool tag = (a == u'G' && b == u'i') || (a == u'A' && b == u'd') ||
                         (a == u'V' && (b == u'i' || b == u't')) || (a == u'N' && b == u'o');
        if (!tag) {
            ++i;
            continue;
        }
        qsizetype end = i + 2;
        if (heldDigits && end < n && p[end] >= u'1' && p[end] <= u'9')
            ++end;
        if (i > plainFrom)
            f(Part{text.sliced(plainFrom, i - plainFrom), false});
        f(Part{text.sliced(i, end - i), true});
        plainFrom = i = end;
    }
    if (plainFrom < n)
        f(Part{text.sliced(plainFrom), false});
}

enum class Kind { AsWritten, Unreadable, Analyse };

// A text as a hash key. Qt's seeded string hash makes a look-up several
// times slower; FNV-1a does for the texts of one data folder.
struct Text {
    QStringView view;
    bool operator==(const Text &other) const { return view == other.view; }
};

size_t qHash(const Text &t, size_t seed)
{
    size_t h = 14695981039346656037ull ^ seed; // FNV-1a
    for (const QChar c : t.view)
        h = (h ^ c.unicode()) * 1099511628211ull;
    return h;
}

Kind kindOf(QStringView text)
{
    Kind kind = Kind::AsWritten;
    for (const QChar q : text) {
        const char16_t c = q.unicode();
        if (isLatinOrDigit(c))
            return Kind::Unreadable;
        if (kind != Kind::Analyse && Morae::weight(c) < 0)
            kind = Kind::Analyse;
    }
    return kind;
}

// A given reading serves when it is kana, spaces and punctuation around
// exactly the text's own tags; otherwise the text is read as if none were
// given (lyrmak-tool check says what is wrong with it).
bool fits(QStringView reading, QStringView text, bool held)
{
    const QList<Part> given = split(reading, held);
    QList<QStringView> tags;
    for (const Part &p : given) {
        if (p.slot)
            tags << p.text;
        else if (Morae::count(p.text) < 0)
            return false;
    }
    QList<QStringView> own;
    for (const Part &p : split(text, held))
        if (p.slot)
            own << p.text;
    return tags == own;
}

} // namespace

QList<Part> split(QStringView text, bool heldDigits)
{
    QList<Part> parts;
    forEachPart(text, heldDigits, [&](const Part &p) { parts.append(p); });
    return parts;
}

namespace
{

bool isHalfWidthKana(char16_t c)
{
    return c >= u'ｦ' && c <= u'ﾟ';
}

// Hiragana (and its iteration marks) as katakana; anything else as it is.
char16_t shifted(char16_t c)
{
    return (c >= u'ぁ' && c <= u'ゖ') || c == u'ゝ' || c == u'ゞ' ? char16_t(c + 0x60) : c;
}

// katakana(), appended to `out`. Written in place: one allocation at most.
void appendKatakana(QString &out, QStringView text)
{
    qsizetype at = out.size();
    out.resize(at + text.size());
    QChar *d = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (isHalfWidthKana(c)) {
            // Half-width kana with their voicing marks, composed.
            qsizetype j = i + 1;
            while (j < text.size() && isHalfWidthKana(text[j].unicode()))
                ++j;
            const QString composed =
                text.sliced(i, j - i).toString().normalized(QString::NormalizationForm_KC);
            if (const qsizetype need = at + composed.size() + text.size() - j; need > out.size()) {
                out.resize(need);
                d = out.data();
            }
            std::copy(composed.cbegin(), composed.cend(), d + at);
            at += composed.size();
            i = j - 1;
        } else {
            d[at++] = QChar(shifted(c));
        }
    }
    out.resize(at);
}

} // namespace

QString katakana(QStringView text)
{
    if (text.isNull())
        return QString();
    QString out;
    out.reserve(text.size());
    appendKatakana(out, text);
    return out;
}

QList<QStringView> frameLines(const QString &frame)
{
    // The pieces of frame.split(CR LF) after the first.
    QList<QStringView> lines;
    const QStringView s(frame);
    const qsizetype n = s.size();
    qsizetype from = -1; // where the current line starts, once the first CR LF is past
    for (qsizetype i = 0; i + 1 < n; ++i) {
        if (s[i] != u'\r' || s[i + 1] != u'\n')
            continue;
        if (from >= 0)
            lines.append(s.sliced(from, i - from));
        from = i + 2;
        ++i;
    }
    if (from >= 0)
        lines.append(s.sliced(from));
    return lines;
}

void workOut(LyricData &data, ReadingSource *source)
{
    const bool held = data.Refrains;
    for (WordList &list : data.WordLists)
        list.Readings.resize(list.Words.size());
    QList<QList<QStringView>> lines(data.Frames.size());
    data.FrameReadings.resize(data.Frames.size());
    for (qsizetype f = 0; f < data.Frames.size(); ++f) {
        lines[f] = frameLines(data.Frames[f]);
        data.FrameReadings[f].resize(lines[f].size());
    }

    // Each text still to read is split once into its parts. A text that
    // needs no analyser is read at once; the others keep their parts until
    // the answers are in. Texts for the analyser are asked once each.
    struct Piece {
        QStringView text;
        Kind kind = Kind::AsWritten;
        bool slot = false;
        qsizetype answer = -1; // for Kind::Analyse
    };
    struct Todo {
        QString *out;
        qsizetype first, end; // its pieces
    };
    QList<Todo> todo;
    QList<Piece> pieces;
    QHash<Text, qsizetype> asked;
    asked.reserve(1024);
    QStringList questions;
    QStringList answers;

    // The reading of pieces [first, end), null when a part has none. It is
    // put together in `scratch` and copied out at its size: one allocation.
    QString scratch;
    const QString unknown;
    const auto assemble = [&](qsizetype first, qsizetype end) {
        scratch.resize(0);
        for (qsizetype i = first; i < end; ++i) {
            const Piece &p = pieces.at(i);
            if (p.slot) {
                scratch += p.text;
            } else if (p.kind == Kind::AsWritten) {
                appendKatakana(scratch, p.text);
            } else {
                const QString &a = p.kind == Kind::Analyse && p.answer < answers.size()
                                       ? answers.at(p.answer)
                                       : unknown;
                if (a.isNull())
                    return QString();
                scratch += a;
            }
        }
        return QString(scratch.constData(), scratch.size());
    };

    const auto add = [&](QString &reading, QStringView text) {
        if (!reading.isNull() && fits(reading, text, held)) {
            reading = katakana(reading);
            return;
        }
        const qsizetype first = pieces.size();
        bool analyse = false;
        forEachPart(text, held, [&](const Part &p) {
            Piece piece{p.text, Kind::AsWritten, p.slot};
            if (!p.slot)
                piece.kind = kindOf(p.text);
            if (piece.kind == Kind::Analyse) {
                qsizetype &number = asked[Text{p.text}]; // from 1; 0 when new
                if (number == 0) {
                    questions << p.text.toString();
                    number = questions.size();
                }
                piece.answer = number - 1;
                analyse = true;
            }
            pieces.append(piece);
        });
        if (analyse) {
            todo.append({&reading, first, pieces.size()});
        } else {
            reading = assemble(first, pieces.size());
            pieces.resize(first);
        }
    };
    for (WordList &list : data.WordLists)
        for (qsizetype i = 0; i < list.Words.size(); ++i)
            add(list.Readings[i], list.Words[i]);
    for (qsizetype f = 0; f < data.Frames.size(); ++f) {
        QStringList &readings = data.FrameReadings[f];
        for (qsizetype i = 0; i < lines[f].size(); ++i)
            add(readings[i], lines[f][i]);
    }

    if (source && !questions.isEmpty())
        answers = source->read(questions);
    for (QString &a : answers) {
        if (a.isNull()) // not read; null it stays
            continue;
        if (std::any_of(a.cbegin(), a.cend(), [](QChar c) { return isHalfWidthKana(c.unicode()); }))
            a = katakana(a);
        else
            for (QChar &c : a) // the length stays: in place
                c = QChar(shifted(c.unicode()));
        // What the analyser left in kanji or letters is not a reading.
        if (Morae::count(a) < 0)
            a = QString();
    }
    for (const Todo &t : todo)
        *t.out = assemble(t.first, t.end);
}

LyricData soundTwin(const LyricData &data)
{
    LyricData twin = data;
    for (WordList &list : twin.WordLists)
        for (qsizetype i = 0; i < list.Words.size() && i < list.Readings.size(); ++i)
            if (!list.Readings[i].isNull())
                list.Words[i] = list.Readings[i];
    for (qsizetype f = 0; f < twin.Frames.size(); ++f) {
        const QList<QStringView> lines = frameLines(data.Frames[f]);
        const QStringList readings = data.FrameReadings.value(f);
        QString frame;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QString &r = readings.value(i);
            frame += kCrLf + (r.isNull() ? lines[i].toString() : r);
        }
        twin.Frames[f] = frame;
    }
    return twin;
}

} // namespace ReadingMaker
