#include "LyricLoader.h"

#include "AppInfo.h"
#include "FileSystem.h"
#include "LyricWindow.h"

namespace
{

const QString kCrLf = QStringLiteral("\r\n");

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

bool LyricLoader::WordRead()
{
    for (WordList &list : m_data.WordLists) {
        Outcome o;
        while ((o = readWordFile(list)) == Outcome::Again) {
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
        if (line.startsWith(QLatin1Char('\'')))
            continue;
        list.Words.append(std::move(line));
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
    while ((o = readFrameFile()) == Outcome::Again) {
    }
    return o == Outcome::Done;
}

LyricLoader::Outcome LyricLoader::readFrameFile()
{
    const QString path = m_folder + QStringLiteral("Kasi.dat");
    auto reader = m_files.newReader();
    m_data.Frames.clear();
    m_data.Refrains = false;
    if (!guard(path, false, nullptr, [&] { return reader->open(path); }))
        return Outcome::Cancelled;
    int lineNo = 0;
    for (;;) {
        bool end = false;
        if (!guard(path, false, reader.get(), [&] { return reader->atEnd(end); }))
            return Outcome::Cancelled;
        if (end)
            break;
        m_frameStart = lineNo + 1;
        QString frame;
        QString line;
        do {
            // No end-of-file test here: a frame without its "@" line runs
            // past the end of the file and fails.
            if (!guard(path, false, reader.get(), [&] { return reader->readLine(line); }))
                return Outcome::Cancelled;
            ++lineNo;
            if (!line.startsWith(QLatin1Char('\'')))
                frame += kCrLf + line;
            else if (line == QStringView(LyricData::kRefrainsLine))
                m_data.Refrains = true;
        } while (line != QLatin1String("@"));
        const qsizetype at = frame.indexOf(QLatin1Char('@'));
        if (at >= 0)
            frame.truncate(at);
        m_data.Frames.append(std::move(frame));
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
