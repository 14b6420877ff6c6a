#include "ReadingMaker.h"

#include "Morae.h"
#include "ReadingSource.h"

#include <QHash>

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

Kind kindOf(QStringView text)
{
    Kind kind = Kind::AsWritten;
    for (const QChar q : text) {
        const char16_t c = q.unicode();
        if (isLatinOrDigit(c))
            return Kind::Unreadable;
        if (Morae::weight(c) < 0)
            kind = Kind::Analyse;
    }
    return kind;
}

// Where one text's reading goes.
struct Todo {
    QString *out;
    QStringView text;
};

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

QString katakana(QStringView text)
{
    if (text.isNull())
        return QString();
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if ((c >= u'ぁ' && c <= u'ゖ') || c == u'ゝ' || c == u'ゞ') {
            out += QChar(char16_t(c + 0x60));
        } else if (c >= u'ｦ' && c <= u'ﾟ') {
            // Half-width kana with their voicing marks, composed.
            qsizetype j = i + 1;
            while (j < text.size() && text[j] >= u'ｦ' && text[j] <= u'ﾟ')
                ++j;
            out += text.sliced(i, j - i).toString().normalized(QString::NormalizationForm_KC);
            i = j - 1;
        } else {
            out += QChar(c);
        }
    }
    return out;
}

QList<QStringView> frameLines(const QString &frame)
{
    QList<QStringView> lines = QStringView(frame).split(kCrLf);
    if (!lines.isEmpty())
        lines.removeFirst();
    return lines;
}

void workOut(LyricData &data, ReadingSource *source)
{
    QList<Todo> todo;
    for (WordList &list : data.WordLists)
        list.Readings.resize(list.Words.size());
    data.FrameReadings.resize(data.Frames.size());
    for (qsizetype f = 0; f < data.Frames.size(); ++f)
        data.FrameReadings[f].resize(frameLines(data.Frames[f]).size());

    const bool held = data.Refrains;
    const auto add = [&](QString &reading, QStringView text) {
        if (!reading.isNull() && fits(reading, text, held))
            reading = katakana(reading);
        else
            todo.append({&reading, text});
    };
    for (WordList &list : data.WordLists)
        for (qsizetype i = 0; i < list.Words.size(); ++i)
            add(list.Readings[i], list.Words[i]);
    for (qsizetype f = 0; f < data.Frames.size(); ++f) {
        const QList<QStringView> lines = frameLines(data.Frames[f]);
        QStringList &readings = data.FrameReadings[f];
        for (qsizetype i = 0; i < lines.size(); ++i)
            add(readings[i], lines[i]);
    }

    // Every text the analyser must read, once each, in one call.
    QHash<QStringView, qsizetype> asked;
    QStringList questions;
    for (const Todo &t : todo)
        forEachPart(t.text, held, [&](const Part &p) {
            if (p.slot || kindOf(p.text) != Kind::Analyse || asked.contains(p.text))
                return;
            asked.insert(p.text, questions.size());
            questions << p.text.toString();
        });
    QStringList answers;
    if (source && !questions.isEmpty())
        answers = source->read(questions);
    for (QString &a : answers) {
        a = katakana(a);
        // What the analyser left in kanji or letters is not a reading.
        if (Morae::count(a) < 0)
            a = QString();
    }

    for (const Todo &t : todo) {
        QString reading = QStringLiteral("");
        bool known = true;
        forEachPart(t.text, held, [&](const Part &p) {
            if (!known)
                return;
            if (p.slot) {
                reading += p.text;
            } else if (const Kind k = kindOf(p.text); k == Kind::AsWritten) {
                reading += katakana(p.text);
            } else {
                const QString &a =
                    k == Kind::Analyse ? answers.value(asked.value(p.text, -1)) : QString();
                known = !a.isNull();
                reading += a;
            }
        });
        *t.out = known ? std::move(reading) : QString();
    }
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
