#include "LyricSaver.h"

#include "AppInfo.h"
#include "FileSystem.h"
#include "LyricWindow.h"
#include "TextCodec.h"

#include <algorithm>

namespace
{

const QString CrLf = QStringLiteral("\r\n");
const QString CannotWrite = QStringLiteral("歌詞データが書き込めません");

bool isSpace(QChar c)
{
    return c == QChar(0x0020) || c == QChar(0x3000);
}

} // namespace

LyricSaver::LyricSaver(FileSystem &files, LyricWindow &window) : m_files(files), m_window(window) {}

bool LyricSaver::isBlank(QStringView text)
{
    return std::all_of(text.begin(), text.end(), isSpace);
}

QString LyricSaver::describeUnwritable(QStringView text, qsizetype at)
{
    if (at < 0)
        return QString();
    const bool pair =
        text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate();
    const QStringView character = text.sliced(at, pair ? 2 : 1);
    const char32_t code =
        pair ? QChar::surrogateToUcs4(text[at], text[at + 1]) : char32_t(text[at].unicode());
    return QStringLiteral("「%1」（U+%2）は Shift-JIS で書けない文字です")
        .arg(character.toString(),
             QString::number(uint(code), 16).toUpper().rightJustified(4, QLatin1Char('0')));
}

// The text and its line end in CP932, in m_bytes; the box and false when
// CP932 cannot hold a character of it.
bool LyricSaver::encode(const QString &text)
{
    if (text == m_encodedText && !m_bytes.isNull())
        return true;
    qsizetype at = -1;
    m_bytes = TextCodec::encodeCp932(text + CrLf, &at);
    m_encodedText = text;
    if (at < 0)
        return true;
    m_bytes = QByteArray();
    m_window.messageBox(CannotWrite + CrLf + describeUnwritable(text, at), MsgButtons::Ok,
                        MsgIcon::Critical, AppInfo::title());
    return false;
}

bool LyricSaver::askRetry(const FileError &error)
{
    return m_window.messageBox(CannotWrite + CrLf + error.description(), MsgButtons::RetryCancel,
                               MsgIcon::Critical, AppInfo::title()) == MsgAnswer::Retry;
}

void LyricSaver::save(const QString &path)
{
    const QString text = m_window.text();
    if (isBlank(text)) {
        m_window.messageBox(QStringLiteral("歌詞データが存在しません"), MsgButtons::Ok,
                            MsgIcon::Critical, AppInfo::title());
        return;
    }
    m_bytes = QByteArray();
    if (!encode(text))
        return;

    const std::unique_ptr<AppendFile> file = m_files.newAppendFile();
    for (Step step = Step::Open; step != Step::Done; step = Step(int(step) + 1)) {
        if (!run(step, *file, path)) {
            if (file->isOpen())
                file->discard();
            return;
        }
    }
}

bool LyricSaver::run(Step step, AppendFile &file, const QString &path)
{
    QByteArray bytes;
    if (step == Step::Separator) {
        bytes = QByteArrayLiteral("-------------------------------\r\n");
    } else if (step == Step::FirstCopy || step == Step::SecondCopy) {
        // Each copy is the text as it stands now, read afresh; it is encoded
        // again only if it changed.
        if (!encode(m_window.text()))
            return false;
        bytes = m_bytes;
    }

    for (;;) {
        FileError error;
        switch (step) {
        case Step::Open:
            error = file.open(path);
            break;
        case Step::Close:
            error = file.close();
            break;
        default:
            error = file.write(bytes);
            break;
        }
        if (error.ok())
            return true;
        if (!askRetry(error))
            return false;
    }
}
