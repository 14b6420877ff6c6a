#include "LyricLoader.h"

#include "AppInfo.h"
#include "FileSystem.h"
#include "LyricWindow.h"
#include "ReadingMaker.h"

#include <new>

namespace
{

const QString kCrLf = QStringLiteral("\r\n");
constexpr QStringView kMeterHead(LyricData::kMeterLine);
constexpr QStringView kRefrains(LyricData::kRefrainsLine);

// The line that ends a frame.
bool isAtLine(QStringView line)
{
    return line.size() == 1 && line[0] == u'@';
}

// ReadingMaker::frameLines(frame).size(), without making the list.
qsizetype frameLineCount(QStringView frame)
{
    qsizetype n = 0;
    for (qsizetype i = 0; i + 1 < frame.size(); ++i)
        if (frame[i] == u'\r' && frame[i + 1] == u'\n') {
            ++n;
            ++i;
        }
    return n;
}

QString promptFor(const QString &path, bool words, const QString &why)
{
    const QString head = words ? QStringLiteral("単語ファイル") : QStringLiteral("歌詞フレーム");
    return head + path + QStringLiteral("の読み込みに失敗しました") + kCrLf + why;
}

} // namespace

LyricLoader::LyricLoader(FileSystem &files, LyricWindow &window, LyricData &data, QString folder)
    : m_files(files), m_window(window), m_data(data), m_folder(std::move(folder))
{
}

// Runs one file step until it succeeds or the user gives up. On Cancel the
// open file (if any) is closed and the window unloaded.
template <typename Step>
bool LyricLoader::guard(const QString &path, bool words, TextReader *open, Step step)
{
    for (;;) {
        const FileError e = step();
        if (e.ok())
            return true;
        QString why = e.description();
        if (!words && m_frameStart > 0 && e.kind == FileError::Kind::PastEnd)
            why += QStringLiteral("（%1行目から始まるフレームが「@」の行で終わっていません）")
                       .arg(m_frameStart);
        if (!refuse(path, words, why)) {
            if (open)
                (void)open->close();
            return false;
        }
    }
}

// Shows the failure box; true for Retry. Cancel unloads the window.
bool LyricLoader::refuse(const QString &path, bool words, const QString &why)
{
    const MsgAnswer a = m_window.messageBox(promptFor(path, words, why), MsgButtons::RetryCancel,
                                            MsgIcon::Critical, AppInfo::title());
    if (a == MsgAnswer::Retry)
        return true;
    m_window.unload();
    return false;
}

// Running out of memory in the middle of a file gives back all that the
// file took (its reader, its text, what was stored) before the box comes up,
// so that the box can be shown; Retry then reads the file from the start.
template <typename Read>
LyricLoader::Outcome LyricLoader::startOverIfOutOfMemory(const QString &path, bool words,
                                                         QStringList &stored, Read read)
{
    try {
        return read();
    } catch (const std::bad_alloc &) {
        stored = QStringList();
        m_frameStart = 0;
        const QString why = FileError::of(FileError::Kind::OutOfMemory).description();
        return refuse(path, words, why) ? Outcome::Again : Outcome::Cancelled;
    }
}

bool LyricLoader::isReadingLine(QStringView line)
{
    return line.startsWith(QLatin1String("'="));
}

QString LyricLoader::readingIn(QStringView line)
{
    QString r = ReadingMaker::katakana(line.sliced(2));
    return r.isNull() ? QStringLiteral("") : r;
}

int LyricLoader::meterIn(QStringView line)
{
    // A cheap test first: most lines are no such comment.
    if (line.size() <= kMeterHead.size() || line[0] != kMeterHead[0] ||
        !line.startsWith(kMeterHead))
        return 0;
    const QStringView n = line.sliced(kMeterHead.size());
    if (n.isEmpty() || n.size() > 2 || n[0] < u'1' || n[0] > u'9' ||
        (n.size() == 2 && (n[1] < u'0' || n[1] > u'9')))
        return 0;
    return n.size() == 1 ? n[0].unicode() - u'0'
                         : (n[0].unicode() - u'0') * 10 + n[1].unicode() - u'0';
}

bool LyricLoader::WordRead()
{
    for (WordList &list : m_data.WordLists) {
        Outcome o;
        while ((o = startOverIfOutOfMemory(m_folder + list.FileName, true, list.Words,
                                           [&] { return readWordFile(list); })) == Outcome::Again) {
        }
        if (o == Outcome::Cancelled)
            return false;
    }
    return true;
}

LyricLoader::Outcome LyricLoader::readWordFile(WordList &list)
{
    const QString path = m_folder + list.FileName;
    auto reader = m_files.newReader();
    list.Words.clear();
    list.Readings.clear();
    QList<std::pair<qsizetype, QString>> given; // readings of "'=" lines, by word
    bool afterWord = false;                     // the line before was a word: a "'=" line reads it
    if (!guard(path, true, nullptr, [&] { return reader->open(path); }))
        return Outcome::Cancelled;
    for (;;) {
        bool end = false;
        if (!guard(path, true, reader.get(), [&] { return reader->atEnd(end); }))
            return Outcome::Cancelled;
        if (end)
            break;
        QString line;
        if (!guard(path, true, reader.get(), [&] { return reader->readLine(line); }))
            return Outcome::Cancelled;
        if (line.startsWith(QLatin1Char('\''))) {
            if (afterWord && isReadingLine(line))
                given.append({list.Words.size() - 1, readingIn(line)});
            afterWord = false;
            continue;
        }
        list.Words.append(std::move(line));
        afterWord = true;
    }
    // Lists without "'=" lines stay without readings until they are worked out.
    if (!given.isEmpty()) {
        list.Readings.resize(list.Words.size());
        for (auto &[i, reading] : given)
            list.Readings[i] = std::move(reading);
    }
    if (!guard(path, true, reader.get(), [&] { return reader->close(); }))
        return Outcome::Cancelled;
    // A list without words could never fill its tags: refuse it here, where
    // the user can still mend the file and read it again.
    if (list.Words.isEmpty()) {
        if (!refuse(path, true,
                    QStringLiteral("単語がひとつもありません（空の単語は空の行で書きます）")))
            return Outcome::Cancelled;
        return Outcome::Again;
    }
    return Outcome::Done;
}

bool LyricLoader::FrameRead()
{
    Outcome o;
    while ((o = startOverIfOutOfMemory(m_folder + QStringLiteral("Kasi.dat"), false, m_data.Frames,
                                       [&] { return readFrameFile(); })) == Outcome::Again) {
    }
    return o == Outcome::Done;
}

LyricLoader::Outcome LyricLoader::readFrameFile()
{
    const QString path = m_folder + QStringLiteral("Kasi.dat");
    auto reader = m_files.newReader();
    m_data.Frames.clear();
    m_data.Refrains = false;
    m_data.FrameReadings.clear();
    m_data.FrameMeters.clear();
    m_data.Meters = false;
    if (!guard(path, false, nullptr, [&] { return reader->open(path); }))
        return Outcome::Cancelled;
    int lineNo = 0;
    QString line; // one buffer for every line read
    for (;;) {
        bool end = false;
        if (!guard(path, false, reader.get(), [&] { return reader->atEnd(end); }))
            return Outcome::Cancelled;
        if (end)
            break;
        m_frameStart = lineNo + 1;
        QString frame;
        // Per line of the frame text, the "@" line included: its target;
        // and the few readings given, by line. A "'!拍 N" line gives the
        // next line its target, a "'=" line the line before its reading.
        QList<std::pair<qsizetype, QString>> given;
        QList<int> meters;
        int meter = 0;
        bool afterLine = false;
        do {
            // No end-of-file test here: a frame without its "@" line runs
            // past the end of the file and fails.
            if (!guard(path, false, reader.get(), [&] { return reader->readLine(line); }))
                return Outcome::Cancelled;
            ++lineNo;
            if (!line.startsWith(QLatin1Char('\''))) {
                frame += kCrLf;
                frame += line;
                afterLine = !isAtLine(line);
                meters.append(afterLine ? meter : 0);
                meter = 0;
                continue;
            }
            if (line == kRefrains)
                m_data.Refrains = true;
            else if (afterLine && isReadingLine(line))
                given.append({meters.size() - 1, readingIn(line)});
            meter = meterIn(line);
            afterLine = false;
        } while (!isAtLine(line));
        const qsizetype at = frame.indexOf(QLatin1Char('@'));
        if (at >= 0)
            frame.truncate(at);
        // Lines cut off by an "@" take their readings and targets along.
        const qsizetype kept = frameLineCount(frame);
        QStringList readings(kept);
        for (auto &[i, reading] : given)
            if (i < kept)
                readings[i] = std::move(reading);
        meters.resize(kept);
        m_data.Meters = m_data.Meters || meters.count(0) < kept;
        m_data.Frames.append(std::move(frame));
        m_data.FrameReadings.append(std::move(readings));
        m_data.FrameMeters.append(std::move(meters));
    }
    m_frameStart = 0;
    if (!guard(path, false, reader.get(), [&] { return reader->close(); }))
        return Outcome::Cancelled;
    if (m_data.Frames.isEmpty()) {
        if (!refuse(path, false, QStringLiteral("歌詞フレームがひとつもありません")))
            return Outcome::Cancelled;
        return Outcome::Again;
    }
    return Outcome::Done;
}
