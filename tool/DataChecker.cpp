#include "DataChecker.h"

#include "FolderFileSystem.h"
#include "LoaderProbe.h"
#include "LyricData.h"
#include "LyricLoader.h"
#include "MecabReadingSource.h"
#include "MeterChecker.h"
#include "Morae.h"
#include "PosixTextReader.h"
#include "ReadingMaker.h"
#include "TextCodec.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <new>

namespace
{

const QString kHelpFile = QStringLiteral("LYRMAK.HLP");
const QString kFrameFile = QStringLiteral("Kasi.dat");
constexpr auto kError = Finding::Severity::Error;
constexpr auto kWarning = Finding::Severity::Warning;

bool isComment(const QString &line)
{
    return line.startsWith(QLatin1Char('\''));
}

enum class LineEnd { None, CrLf, Lf, Cr };

QLatin1String nameOf(LineEnd end)
{
    return QLatin1String(end == LineEnd::CrLf ? "CR LF" : end == LineEnd::Lf ? "LF" : "CR");
}

// The first line whose line end differs from the first line's, or 0. Lines
// are counted as the reader splits them; CR and LF never occur inside a
// CP932 or UTF-8 character, so bytes can be scanned directly.
int firstOtherLineEnd(QByteArrayView bytes, LineEnd &first, LineEnd &other)
{
    first = LineEnd::None;
    int line = 1;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        LineEnd end;
        if (bytes[i] == '\r') {
            const bool pair = i + 1 < bytes.size() && bytes[i + 1] == '\n';
            end = pair ? LineEnd::CrLf : LineEnd::Cr;
            i += pair ? 1 : 0;
        } else if (bytes[i] == '\n') {
            end = LineEnd::Lf;
        } else {
            continue;
        }
        if (first == LineEnd::None) {
            first = end;
        } else if (end != first) {
            other = end;
            return line;
        }
        ++line;
    }
    return 0;
}

bool isHoldDigit(QChar c)
{
    return c >= QLatin1Char('1') && c <= QLatin1Char('9');
}

bool hasNonAscii(QByteArrayView bytes)
{
    return std::any_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

QString digitAfterTag(const QString &heldName)
{
    return QStringLiteral("「%1」は、くりかえしの印ではなく、単語のあとに数字の「%2」が続きます"
                          "（くりかえしにするには、Kasi.dat に「'!くりかえし」の行を書きます）")
        .arg(heldName, heldName.back());
}

} // namespace

DataChecker::DataChecker(const QString &folder)
    : m_folder(FolderFileSystem::normalized(folder)), m_scanner({})
{
    if (!m_folder.endsWith(QLatin1Char('/')))
        m_folder += QLatin1Char('/');
    const LyricData table = LyricData::withCategories();
    for (const WordList &list : table.WordLists) {
        m_tags << list.Tag;
        m_fileNames << list.FileName;
    }
    m_fileNames << kFrameFile;
    m_scanner = TagScanner(m_tags);
    m_lines.resize(m_fileNames.size());
    m_loaded.resize(m_fileNames.size());
}

Finding DataChecker::finding(int row, int line, Finding::Severity severity,
                             const QString &message) const
{
    return {row < 0 ? kHelpFile : m_fileNames[row], line, severity, message};
}

QList<Finding> DataChecker::check()
{
    QList<Finding> all;
    // The program refuses to start without its help file, so it is checked
    // too, though the tool itself never reads it.
    if (!FolderFileSystem(m_folder).isRegularFile(m_folder + kHelpFile))
        all << finding(
            -1, 0, kError,
            QStringLiteral(
                "ヘルプファイルがありません（このフォルダーではミルトナが起動しません）"));

    QList<QList<Finding>> perFile(m_fileNames.size());
    QList<std::optional<TextCodec::Encoding>> encodings;
    for (int row = 0; row < m_fileNames.size(); ++row)
        encodings << checkFile(row, perFile[row]);
    checkTagsComingBack(perFile);
    if (m_meters)
        checkUnreadWords(perFile);
    MeterChecker meters(m_folder, m_lines);
    const QList<QList<Finding>> meterFindings = meters.check();
    for (qsizetype row = 0; row < meterFindings.size(); ++row)
        perFile[row] << meterFindings[row];
    m_meterShare = meters.share();
    // Each file is decoded on its own, so a CP932 file that happens to be
    // valid UTF-8 is read as UTF-8: among CP932 files, that is worth a look.
    if (encodings.contains(TextCodec::Encoding::Cp932)) {
        for (int row = 0; row < m_fileNames.size(); ++row)
            if (encodings[row] == TextCodec::Encoding::Utf8)
                perFile[row] << finding(
                    row, 0, kWarning,
                    QStringLiteral("ほかのファイルは Shift-JIS なのに、このファイルは "
                                   "UTF-8 として読まれます"));
    }
    for (QList<Finding> &f : perFile) {
        std::stable_sort(f.begin(), f.end(), [](const Finding &a, const Finding &b) {
            return a.line != b.line ? a.line < b.line : a.isError() && !b.isError();
        });
        all << f;
    }
    return all;
}

std::optional<TextCodec::Encoding> DataChecker::checkFile(int row, QList<Finding> &out)
{
    const QString path = m_folder + m_fileNames[row];
    const bool frames = m_fileNames[row] == kFrameFile;
    const LoaderProbe::Verdict verdict = LoaderProbe::probe(m_folder, m_fileNames[row]);

    OpenFrame open;
    std::optional<TextCodec::Encoding> encoding;
    TextCodec::Decoded text;
    // Read the way the program reads: a FIFO or a device is refused by the
    // probe above, and never waited on or read without end here.
    QByteArray bytes;
    FileError read = PosixTextReader::readRegularFile(path, bytes);
    try {
        if (read.ok()) {
            text = TextCodec::decode(bytes);
            warnOtherReading(row, bytes, text, out);
            LineEnd first, other = LineEnd::None;
            if (const int line = firstOtherLineEnd(bytes, first, other); line > 0)
                out << finding(row, line, kWarning,
                               QStringLiteral("改行が混在しています（1行目は %1、この行は %2）")
                                   .arg(nameOf(first), nameOf(other)));
            if (text.error.ok() && (text.hasBom || hasNonAscii(bytes)))
                encoding = text.encoding;
            // Split once: kept for the checks across files.
            const QStringList &lines = m_lines[row] = text.lines();
            m_loaded[row] = !verdict.refused;
            if (frames) {
                m_refrains = lines.contains(QStringView(LyricData::kRefrainsLine));
                m_meters = std::any_of(lines.begin(), lines.end(), [](const QString &l) {
                    return LyricLoader::meterIn(l) > 0;
                });
                open = checkFrames(lines, out);
            } else {
                checkWords(row, lines, !verdict.refused, out);
            }
        }
    } catch (const std::bad_alloc &) {
        read = FileError::of(FileError::Kind::OutOfMemory);
    }
    // The program loaded the file, but checking it needs more memory.
    if (read.kind == FileError::Kind::OutOfMemory && !verdict.refused)
        out << finding(row, 0, kError, read.description());

    if (!verdict.refused)
        return encoding;
    switch (verdict.error.kind) {
    case FileError::Kind::BadBytes:
        out << finding(row, verdict.error.line, kError,
                       QStringLiteral("%1 として正しくないバイト列があります（%2）")
                           .arg(text.encoding == TextCodec::Encoding::Utf8
                                    ? QStringLiteral("UTF-8")
                                    : QStringLiteral("Shift-JIS"),
                                QString::fromLatin1(verdict.error.bytes.toHex(' ').toUpper())));
        break;
    case FileError::Kind::PastEnd:
        if (open.line > 0) {
            QString message;
            if (open.hasText)
                message = QStringLiteral("ここから始まるフレームが「@」だけの行で終わっていません");
            else if (open.afterFrame)
                message = QStringLiteral("最後の「@」の行のあとに空の行かコメントがあります"
                                         "（ファイルは「@」の行で終えてください）");
            else
                message = QStringLiteral("空の行かコメントしかなく、「@」だけの行で終わる"
                                         "フレームがありません");
            out << finding(row, open.line, kError, message);
            break;
        }
        [[fallthrough]];
    default:
        // The program's own description: a missing or unreadable file, a
        // list without words, a file without frames.
        out << finding(row, 0, kError, verdict.reason);
        break;
    }
    return encoding;
}

// A file valid in both encodings is read by a rule, not by what its author
// meant: show the first line where the two readings part.
void DataChecker::warnOtherReading(int row, QByteArrayView bytes, const TextCodec::Decoded &text,
                                   QList<Finding> &out) const
{
    const std::optional<QString> other = TextCodec::otherReading(bytes);
    if (!other || !text.error.ok())
        return;
    const QStringList read = text.lines();
    TextCodec::Decoded otherText;
    otherText.text = *other;
    const QStringList otherLines = otherText.lines();
    qsizetype i = 0;
    while (i < read.size() && i < otherLines.size() && read[i] == otherLines[i])
        ++i;
    const auto shown = [](const QString &line) {
        constexpr qsizetype kMax = 30;
        return line.size() <= kMax ? line : line.first(kMax) + QStringLiteral("…");
    };
    const QString as = shown(read.value(i)), instead = shown(otherLines.value(i));
    QString message;
    if (text.encoding == TextCodec::Encoding::Utf8)
        message =
            QStringLiteral("Shift-JIS としても読めるファイルですが、UTF-8 として「%1」と読まれ"
                           "ます（Shift-JIS なら「%2」。UTF-8 と決めるには BOM を付けて保存"
                           "してください。Shift-JIS のつもりなら、ひらがなを含むコメント行を"
                           "加えてください）")
                .arg(as, instead);
    else
        message =
            QStringLiteral("UTF-8 としても読めるファイルですが、Shift-JIS として「%1」と読まれ"
                           "ます（UTF-8 なら「%2」。UTF-8 として読ませるには BOM を付けて"
                           "ください。Shift-JIS と決めるには、ひらがなを含むコメント行を加えて"
                           "ください）")
                .arg(as, instead);
    out << finding(row, int(i + 1), kWarning, message);
}

void DataChecker::checkWords(int row, const QStringList &lines, bool loaded,
                             QList<Finding> &out) const
{
    const QString &ownTag = m_tags[row];
    QHash<QString, int> firstLine;
    int words = 0, holdingOwnTag = 0;
    for (int i = 0; i < lines.size(); ++i) {
        const QString &word = lines[i];
        const int line = i + 1;
        if (isComment(word)) {
            if (LyricLoader::isReadingLine(word))
                checkReading(row, line, word,
                             i > 0 && !isComment(lines[i - 1]) ? &lines[i - 1] : nullptr, out);
            continue;
        }
        ++words;
        if (word.isEmpty()) {
            out << finding(
                row, line, kWarning,
                QStringLiteral("空の行は空の単語になります（選ばれるとタグが消えるだけです）"));
            continue;
        }
        if (word.front().isSpace() || word.back().isSpace())
            out << finding(row, line, kWarning,
                           QStringLiteral("単語「%1」の前後に空白があります").arg(word));
        if (const auto seen = firstLine.constFind(word); seen != firstLine.cend())
            out << finding(
                row, line, kWarning,
                QStringLiteral("「%1」は%2行目にもあります（そのぶん選ばれやすくなります）")
                    .arg(word)
                    .arg(*seen));
        else
            firstLine.insert(word, line);
        if (word.contains(ownTag))
            ++holdingOwnTag;

        QSet<QString> said;
        for (const TagScanner::Hit &hit : m_scanner.scan(word)) {
            const QString &tag = m_tags[hit.category];
            QString message;
            if (!hit.latinWord.isEmpty()) {
                // An earlier category's letters inside a Latin word stay as
                // they are, which is what the author wants.
                if (hit.category >= row)
                    message = QStringLiteral("「%1」の中の「%2」も %3 の単語に置き換えられます")
                                  .arg(hit.latinWord, tag, m_fileNames[hit.category]);
            } else if (hit.category == row) {
                message = QStringLiteral("単語の中のタグ「%1」は、入るたびにもう一度 %2 の単語で"
                                         "埋められます")
                              .arg(tag, m_fileNames[hit.category]);
            } else if (hit.category > row) {
                // A later category's tag inside a word is chaining: it is
                // filled in that category's turn, which is what the author wants.
            } else {
                message =
                    QStringLiteral("単語の中のタグ「%1」は、この単語が入るときには埋め終わって"
                                   "いるため、置き換えられずにそのまま残ります")
                        .arg(tag);
            }
            if (!message.isEmpty() && !said.contains(message)) {
                said.insert(message);
                out << finding(row, line, kWarning, message);
            }
        }
    }
    // Each replacement brings the tag back. The program still starts: the
    // engine stops such a filling at its size bound, with lyrics far too
    // long by then.
    if (loaded && words > 0 && holdingOwnTag == words)
        out << finding(row, 0, kWarning,
                       QStringLiteral("どの単語にもタグ「%1」があるため、%1 の置き換えはいつも"
                                      "上限で打ち切られるまで続き、歌詞がとても長くなります"
                                      "（タグ「%1」のない単語を入れてください）")
                           .arg(ownTag));
}

DataChecker::OpenFrame DataChecker::checkFrames(const QStringList &lines, QList<Finding> &out) const
{
    const int row = m_fileNames.size() - 1;
    OpenFrame open;
    bool cut = false, ended = false;
    QList<std::pair<int, QString>> kept; // the lines that make up the frame text
    for (int i = 0; i < lines.size(); ++i) {
        const QString &text = lines[i];
        const int line = i + 1;
        if (open.line == 0) {
            open = {line, false, ended};
            cut = false;
            kept.clear();
        }
        if (text == QLatin1String("@")) {
            checkFrameText(open.line, kept, out);
            open = {};
            ended = true;
            continue;
        }
        if (isComment(text)) {
            const QString *before = i > 0 ? &lines[i - 1] : nullptr;
            if (LyricLoader::isReadingLine(text))
                checkReading(row, line, text,
                             before && !isComment(*before) && *before != QLatin1String("@")
                                 ? before
                                 : nullptr,
                             out);
            const QString *next = i + 1 < lines.size() ? &lines[i + 1] : nullptr;
            checkMeterLine(line, text, next && !isComment(*next) && *next != QLatin1String("@"),
                           out);
            // A near miss (a full-width "！", a space) is only a comment.
            const QString refrains = QString::fromUtf16(LyricData::kRefrainsLine);
            if (text != refrains &&
                text.normalized(QString::NormalizationForm_KC).remove(QLatin1Char(' ')) == refrains)
                out << finding(row, line, kWarning,
                               QStringLiteral("この行は「%1」と少しちがうため、ただのコメントです"
                                              "（くりかえしにするには、空白のない半角の「'!」で"
                                              "書きます）")
                                   .arg(refrains));
            continue;
        }
        if (!text.isEmpty())
            open.hasText = true;

        const QString trimmed = text.trimmed();
        if (trimmed == QLatin1String("@"))
            out << finding(row, line, kWarning,
                           QStringLiteral("「@」の前後に空白があるため、この行はフレームの終わりに"
                                          "なりません"));
        else if (trimmed == QStringLiteral("＠"))
            out << finding(row, line, kWarning,
                           QStringLiteral("全角の「＠」はフレームの終わりになりません（半角の「@」"
                                          "だけの行で終わります）"));
        else if (!cut && text.contains(QLatin1Char('@')))
            out << finding(row, line, kWarning,
                           QStringLiteral("行の中の「@」でフレームが切れ、そこから「@」だけの行"
                                          "までが捨てられます"));
        if (cut)
            continue;
        const qsizetype at = text.indexOf(QLatin1Char('@'));
        kept.append({line, at < 0 ? text : text.first(at)});
        cut = at >= 0;
    }
    // A frame that lacks only its "@" line is checked too: its other
    // warnings hold once the line is added.
    if (open.hasText)
        checkFrameText(open.line, kept, out);
    return open;
}

void DataChecker::checkFrameText(int startLine, const QList<std::pair<int, QString>> &lines,
                                 QList<Finding> &out) const
{
    const int row = m_fileNames.size() - 1;
    bool anyTag = false;
    QHash<QString, QList<int>> held; // lines of each held tag of the frame
    for (const auto &[line, text] : lines) {
        QSet<QString> said;
        for (const TagScanner::Hit &hit : m_scanner.scan(text)) {
            anyTag = true;
            const qsizetype after = hit.pos + m_tags[hit.category].size();
            if (after < text.size() && isHoldDigit(text[after])) {
                const QString name = text.sliced(hit.pos, after + 1 - hit.pos);
                if (m_refrains)
                    held[name] << line;
                else if (const QString message = digitAfterTag(name); !said.contains(message)) {
                    said.insert(message);
                    out << finding(row, line, kWarning, message);
                }
            }
            if (hit.latinWord.isEmpty())
                continue;
            const QString message =
                QStringLiteral("「%1」の中の「%2」も %3 の単語に置き換えられます")
                    .arg(hit.latinWord, m_tags[hit.category], m_fileNames[hit.category]);
            if (!said.contains(message)) {
                said.insert(message);
                out << finding(row, line, kWarning, message);
            }
        }
    }
    if (!anyTag)
        out << finding(
            row, startLine, kWarning,
            QStringLiteral("タグがひとつもないフレームです（いつも同じ歌詞になります）"));
    for (auto it = held.cbegin(); it != held.cend(); ++it)
        if (it->size() == 1)
            out << finding(row, it->front(), kWarning,
                           QStringLiteral("くりかえしのタグ「%1」はこのフレームに1回しかないため、"
                                          "追加作詞をするまでくりかえされません")
                               .arg(it.key()));
}

// Words whose turn may not end by itself: a word holds its own tag (said per
// word while reading the list), or completes it where it meets the text
// around it. The engine bounds such turns only; the checker names each word
// and calls a list where every word can do it an error. Also tags followed
// by a digit inside words, which hold nothing without refrains.
void DataChecker::checkTagsComingBack(QList<QList<Finding>> &perFile) const
{
    const int lists = int(m_tags.size());
    // The first and last letters of each list's words, and whether it has
    // the empty word.
    QList<QSet<QChar>> firstLetters(lists), lastLetters(lists);
    QList<bool> hasEmpty(lists, false);
    QList<QStringView> texts; // every frame line and every word
    for (int row = 0; row < m_lines.size(); ++row)
        for (const QString &line : m_lines[row]) {
            if (isComment(line))
                continue;
            texts << line;
            if (row >= lists)
                continue;
            if (line.isEmpty()) {
                hasEmpty[row] = true;
                continue;
            }
            firstLetters[row].insert(line.front());
            lastLetters[row].insert(line.back());
        }

    // Can a tag's first letter stand just before one of its tags, or its
    // second just after one? In a text, from a word of its own list, or from
    // a word of an earlier list whose tag stands right there.
    QList<bool> firstBefore(lists), secondAfter(lists);
    for (int k = 0; k < lists; ++k) {
        firstBefore[k] = lastLetters[k].contains(m_tags[k][0]);
        secondAfter[k] = firstLetters[k].contains(m_tags[k][1]);
    }
    for (const QStringView text : texts)
        for (const TagScanner::Hit &hit : m_scanner.scan(text)) {
            const int k = hit.category;
            const QChar first = m_tags[k][0], second = m_tags[k][1];
            const qsizetype p = hit.pos;
            if (p > 0 && text[p - 1] == first)
                firstBefore[k] = true;
            for (const qsizetype before : {p - 2, p - 3}) {
                const int j = m_scanner.tagAt(text, before);
                if (j < 0 || j >= k ||
                    (before == p - 3 && !(m_refrains && isHoldDigit(text[p - 1]))))
                    continue;
                if (lastLetters[j].contains(first) ||
                    (hasEmpty[j] && before > 0 && text[before - 1] == first))
                    firstBefore[k] = true;
            }
            qsizetype after = p + 2;
            if (m_refrains && after < text.size() && isHoldDigit(text[after]))
                ++after;
            if (after < text.size() && text[after] == second)
                secondAfter[k] = true;
            const int j = m_scanner.tagAt(text, after);
            if (j >= 0 && j < k && firstLetters[j].contains(second))
                secondAfter[k] = true;
        }

    for (int k = 0; k < lists; ++k) {
        const QString &tag = m_tags[k];
        const QChar first = tag[0], second = tag[1];
        int words = 0, comingBack = 0, holding = 0;
        for (int i = 0; i < m_lines[k].size(); ++i) {
            const QString &word = m_lines[k][i];
            if (isComment(word))
                continue;
            ++words;
            for (const TagScanner::Hit &hit : m_scanner.scan(word)) {
                const qsizetype after = hit.pos + m_tags[hit.category].size();
                if (!m_refrains && hit.category >= k && after < word.size() &&
                    isHoldDigit(word[after]))
                    perFile[k] << finding(k, i + 1, kWarning,
                                          digitAfterTag(word.sliced(hit.pos, after + 1 - hit.pos)));
            }
            if (word.contains(tag)) {
                ++holding;
                ++comingBack;
                continue;
            }
            const bool atSeam = word.isEmpty() ? firstBefore[k] && secondAfter[k]
                                               : (word.front() == second && firstBefore[k]) ||
                                                     (word.back() == first && secondAfter[k]);
            if (!atSeam)
                continue;
            ++comingBack;
            perFile[k] << finding(
                k, i + 1, kWarning,
                (word.isEmpty()
                     ? QStringLiteral("空の単語は、前後の文字をつなげて")
                     : QStringLiteral("単語「%1」は、前後の文字とつながって").arg(word)) +
                    QStringLiteral("タグ「%1」をまた作ることがあります（そのときは %1 の置き換え"
                                   "が上限で打ち切られることがあります）")
                        .arg(tag));
        }
        // Every word holding the tag is reported while reading the list.
        if (m_loaded[k] && words > 0 && comingBack == words && holding < words)
            perFile[k] << finding(
                k, 0, kWarning,
                QStringLiteral("どの単語もタグ「%1」をまた作ることがあるため、%1 の置き換えが"
                               "上限で打ち切られるまで続き、歌詞がとても長くなることがあります")
                    .arg(tag));
    }
}

void DataChecker::checkReading(int row, int line, const QString &comment, const QString *readOf,
                               QList<Finding> &out) const
{
    const bool frames = row == m_fileNames.size() - 1;
    if (!readOf) {
        out << finding(row, line, kWarning,
                       frames ? QStringLiteral("「'=」の行がフレームの行のすぐあとにないため、"
                                               "読みになりません")
                              : QStringLiteral("「'=」の行が単語の行のすぐあとにないため、"
                                               "読みになりません"));
        return;
    }
    const QString reading = LyricLoader::readingIn(comment);
    QStringList readingTags, ownTags;
    QString others;
    for (const ReadingMaker::Part &p : ReadingMaker::split(reading, m_refrains)) {
        if (p.slot) {
            readingTags << p.text.toString();
            continue;
        }
        for (const QChar c : p.text)
            if (Morae::weight(c.unicode()) < 0 && !others.contains(c))
                others += c;
    }
    if (!others.isEmpty())
        out << finding(row, line, kWarning,
                       QStringLiteral("読みに、かなと記号のほかの文字「%1」があります（この行の"
                                      "拍は数えられません）")
                           .arg(others));
    for (const ReadingMaker::Part &p : ReadingMaker::split(*readOf, m_refrains))
        if (p.slot)
            ownTags << p.text.toString();
    const auto shown = [](const QStringList &tags) {
        return tags.isEmpty() ? QStringLiteral("なし") : tags.join(QStringLiteral("、"));
    };
    if (readingTags != ownTags)
        out << finding(row, line, kWarning,
                       QStringLiteral("読みのタグ（%1）が%2のタグ（%3）と合いません")
                           .arg(shown(readingTags),
                                frames ? QStringLiteral("行") : QStringLiteral("単語"),
                                shown(ownTags)));
}

void DataChecker::checkMeterLine(int line, const QString &comment, bool beforeFrameLine,
                                 QList<Finding> &out) const
{
    const int row = m_fileNames.size() - 1;
    const QString head = QString::fromUtf16(LyricData::kMeterLine).trimmed();
    if (LyricLoader::meterIn(comment) > 0) {
        if (!beforeFrameLine)
            out << finding(row, line, kWarning,
                           QStringLiteral("「%1」の行のすぐあとがフレームの行ではないため、"
                                          "拍の数になりません")
                               .arg(head));
        return;
    }
    // A full-width digit, a missing space, 0 or 100: only a comment.
    const QString loose =
        comment.normalized(QString::NormalizationForm_KC).remove(QLatin1Char(' '));
    if (loose.startsWith(head))
        out << finding(row, line, kWarning,
                       QStringLiteral("この行は「%1 N」（N は 1 から 99 の整数）の形でないため、"
                                      "ただのコメントです（「拍」のあとに半角の空白ひとつと半角の"
                                      "数字で書きます）")
                           .arg(head));
}

void DataChecker::checkUnreadWords(QList<QList<Finding>> &perFile) const
{
    LyricData data = LyricData::withCategories();
    data.Refrains = m_refrains;
    QList<QList<int>> lineOf(LyricData::kCategories);
    for (int k = 0; k < LyricData::kCategories; ++k) {
        WordList &list = data.WordLists[k];
        for (int i = 0; i < m_lines[k].size(); ++i) {
            const QString &l = m_lines[k][i];
            if (!isComment(l)) {
                list.Words << l;
                list.Readings << QString();
                lineOf[k] << i + 1;
            } else if (i > 0 && !isComment(m_lines[k][i - 1]) && LyricLoader::isReadingLine(l)) {
                list.Readings.last() = LyricLoader::readingIn(l);
            }
        }
    }
    // Each frame line with a target, as a frame of its own.
    const QStringList &frameLines = m_lines.last();
    QList<int> targetLine;
    for (int i = 0; i + 1 < frameLines.size(); ++i) {
        const QString &next = frameLines[i + 1];
        if (LyricLoader::meterIn(frameLines[i]) == 0 || isComment(next) ||
            next == QLatin1String("@"))
            continue;
        const QString &after = frameLines.value(i + 2);
        data.Frames << QStringLiteral("\r\n") + next.first(next.indexOf(QLatin1Char('@')) < 0
                                                               ? next.size()
                                                               : next.indexOf(QLatin1Char('@')));
        data.FrameReadings << QStringList{
            LyricLoader::isReadingLine(after) ? LyricLoader::readingIn(after) : QString()};
        targetLine << i + 2;
    }
    MecabReadingSource mecab;
    ReadingMaker::workOut(data, &mecab);
    if (!mecab.failure().isEmpty()) {
        perFile.last() << finding(int(m_fileNames.size() - 1), 0, kWarning,
                                  mecab.failure() +
                                      QStringLiteral("（拍の数を合わせることができません）"));
        return;
    }
    for (int k = 0; k < LyricData::kCategories; ++k) {
        const WordList &list = data.WordLists[k];
        for (qsizetype i = 0; i < list.Words.size(); ++i)
            if (list.Readings[i].isNull())
                perFile[k] << finding(k, lineOf[k][i], kWarning,
                                      QStringLiteral("単語「%1」は読みがわからないため、拍の数"
                                                     "を数えられません（すぐ下に「'=」の行で"
                                                     "読みを書けます）")
                                          .arg(list.Words[i]));
    }
    for (qsizetype f = 0; f < data.Frames.size(); ++f)
        if (data.FrameReadings[f].value(0).isNull())
            perFile.last() << finding(int(m_fileNames.size() - 1), targetLine[f], kWarning,
                                      QStringLiteral("この行は読みのわからない部分があるため、"
                                                     "拍の数を合わせられません（すぐ下に「'=」の"
                                                     "行で読みを書けます）"));
}

QString DataChecker::summary(const QList<Finding> &findings)
{
    const auto errors = std::count_if(findings.begin(), findings.end(),
                                      [](const Finding &f) { return f.isError(); });
    return QStringLiteral("エラー %1件、警告 %2件").arg(errors).arg(findings.size() - errors);
}
