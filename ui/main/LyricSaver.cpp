#include "LyricSaver.h"

#include "AppInfo.h"
#include "FileSystem.h"
#include "LyricWindow.h"
#include "TextCodec.h"

#include <algorithm>
#include <new>

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
    const char32_t code =
        pair ? QChar::surrogateToUcs4(text[at], text[at + 1]) : char32_t(text[at].unicode());
    const QString number =
        QStringLiteral("U+") +
        QString::number(uint(code), 16).toUpper().rightJustified(4, QLatin1Char('0'));
    // A character that shows nothing, or moves the box's text about, is
    // named by its number alone.
    switch (QChar::category(code)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_Enclosing:
        return QStringLiteral("%1 は Shift-JIS で書けない文字です").arg(number);
    default:
        return QStringLiteral("「%1」（%2）は Shift-JIS で書けない文字です")
            .arg(text.sliced(at, pair ? 2 : 1).toString(), number);
    }
}

bool LyricSaver::askRetry(const FileError &error)
{
    // A failure before any file was tried (memory for the block) names none.
    QString cause = error.description();
    if (!m_path.isEmpty())
        cause += QStringLiteral(": ") + m_path;
    return m_window.messageBox(CannotWrite + CrLf + cause, MsgButtons::RetryCancel,
                               MsgIcon::Critical, AppInfo::title()) == MsgAnswer::Retry;
}

void LyricSaver::save(const QString &path)
{
    // A text too large for the memory left gives the memory message, as
    // loading does; the text itself is never touched, and Retry tries again.
    m_path.clear();
    for (;;) {
        try {
            if (!prepare())
                return;
            break;
        } catch (const std::bad_alloc &) {
            m_copy = QByteArray();
            if (!askRetry(FileError::of(FileError::Kind::OutOfMemory)))
                return;
        }
    }

    const std::unique_ptr<AppendFile> file = m_files.newAppendFile();
    for (Step step = Step::Open; step != Step::Done; step = Step(int(step) + 1)) {
        if (!run(step, *file, path)) {
            if (file->isOpen())
                file->discard();
            break;
        }
    }
    m_copy = QByteArray();
    m_block = QByteArray();
}

bool LyricSaver::prepare()
{
    const QString text = m_window.text();
    if (isBlank(text)) {
        m_window.messageBox(QStringLiteral("歌詞データが存在しません"), MsgButtons::Ok,
                            MsgIcon::Critical, AppInfo::title());
        return false;
    }
    // Refused before the file is touched.
    qsizetype at = -1;
    m_copy = TextCodec::encodeCp932(text + CrLf, &at);
    if (at >= 0) {
        m_copy = QByteArray();
        m_window.messageBox(CannotWrite + CrLf + describeUnwritable(text, at), MsgButtons::Ok,
                            MsgIcon::Critical, AppInfo::title());
        return false;
    }
    return true;
}

FileError LyricSaver::open(AppendFile &file, const QString &path)
{
    m_path = path;
    const FileError error = file.open(path);
    if (error.kind != FileError::Kind::AccessDenied)
        return error;
    FileError made;
    const QString folder = m_files.userDataFolder(made);
    const QString own = folder + QStringLiteral("/Lyrmak.dat");
    if (folder.isEmpty() || own == path)
        return error;
    m_path = own;
    return made.ok() ? file.open(own) : made;
}

bool LyricSaver::run(Step step, AppendFile &file, const QString &path)
{
    for (;;) {
        FileError error;
        switch (step) {
        case Step::Open:
            error = open(file, path);
            if (error.ok()) {
                // A block always starts on a line of its own, also behind a
                // block that a crash or an editor left without its CR LF.
                try {
                    m_block = file.endsInLineBreak() ? QByteArray() : QByteArrayLiteral("\r\n");
                    m_block +=
                        QByteArrayLiteral("-------------------------------\r\n") + m_copy + m_copy;
                } catch (const std::bad_alloc &) {
                    m_block = QByteArray();
                    error = FileError::of(FileError::Kind::OutOfMemory);
                }
            }
            break;
        case Step::Write:
            error = file.write(m_block);
            break;
        case Step::Close:
        case Step::Done:
            error = file.close();
            break;
        }
        if (error.ok())
            return true;
        if (!askRetry(error))
            return false;
    }
}
