#include "SongWriter.h"

namespace
{

// Large enough that writing costs little, small enough to go unnoticed.
constexpr qsizetype kFlushAt = 1 << 16;

} // namespace

SongWriter::SongWriter(const QString &folder, std::optional<quint64> seed, Output output)
    : m_files(folder), m_random(seed), m_engine(m_files, m_clock, m_random, m_window),
      m_output(std::move(output))
{
    m_buffer.reserve(2 * kFlushAt);
}

bool SongWriter::load()
{
    m_engine.Form_Load();
    if (m_engine.unloaded() || m_window.unloaded())
        return false;
    m_window.setSink([this](const QString &piece) { take(piece); });
    return true;
}

bool SongWriter::writeSong(quint64 appends, std::optional<qsizetype> frame)
{
    if (frame) {
        m_window.setText(QString());
        m_engine.setCurFrame(*frame);
        m_engine.mnuRepeat_Click();
    } else {
        m_engine.mnuNew_Click();
    }
    for (quint64 i = 0; i < appends && !m_failed; ++i)
        m_engine.mnuRepeat_Click();
    // Songs that end without a line break (a frame cut by an "@") still
    // start on a line of their own.
    if (!m_atLineStart) {
        m_buffer.append('\n');
        m_atLineStart = true;
    }
    return !m_failed;
}

bool SongWriter::finish()
{
    if (!m_failed && !m_buffer.isEmpty())
        flush();
    m_buffer.resize(0);
    return !m_failed;
}

QString SongWriter::fill(bool newSong, std::optional<qsizetype> frame,
                         [[maybe_unused]] const LineTargets &targets)
{
    // Plain fillings until lines can be filled to a target: the one place
    // where the targets come in.
    QString text;
    m_capture = &text;
    if (newSong && frame) {
        m_window.setText(QString());
        m_engine.setCurFrame(*frame);
        m_engine.mnuRepeat_Click();
    } else if (newSong) {
        m_engine.mnuNew_Click();
    } else {
        m_engine.mnuRepeat_Click();
    }
    m_capture = nullptr;
    return text;
}

QString SongWriter::reading(const QString &line) const
{
    // Kana stand for themselves until words carry their readings.
    return line;
}

void SongWriter::write(QStringView text)
{
    take(text.toString());
}

void SongWriter::take(const QString &piece)
{
    if (m_capture) {
        *m_capture += piece;
        return;
    }
    if (m_failed || piece.isEmpty())
        return;
    appendUtf8WithLf(piece, m_buffer);
    m_atLineStart = m_buffer.endsWith('\n');
    if (m_buffer.size() >= kFlushAt)
        flush();
}

void SongWriter::flush()
{
    if (!m_output(m_buffer))
        m_failed = true;
    m_buffer.resize(0);
}

void SongWriter::appendUtf8WithLf(QStringView text, QByteArray &out)
{
    // The text breaks lines with CR LF; a terminal and a pipe want LF. One
    // pass that encodes and drops the CR: songs are written by the hundred
    // thousand.
    const qsizetype from = out.size();
    out.resize(from + 3 * text.size());
    auto *o = reinterpret_cast<unsigned char *>(out.data()) + from;
    const char16_t *p = text.utf16();
    const char16_t *const end = p + text.size();
    for (; p != end; ++p) {
        char32_t c = *p;
        if (c < 0x80) {
            if (c != u'\r' || p + 1 == end || p[1] != u'\n')
                *o++ = static_cast<unsigned char>(c);
        } else if (c < 0x800) {
            *o++ = static_cast<unsigned char>(0xC0 | (c >> 6));
            *o++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
        } else {
            if (QChar::isHighSurrogate(c) && p + 1 != end && QChar::isLowSurrogate(p[1])) {
                c = QChar::surrogateToUcs4(char16_t(c), p[1]);
                ++p;
                *o++ = static_cast<unsigned char>(0xF0 | (c >> 18));
                *o++ = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F));
            } else {
                if (QChar::isSurrogate(c))
                    c = QChar::ReplacementCharacter;
                *o++ = static_cast<unsigned char>(0xE0 | (c >> 12));
            }
            *o++ = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
            *o++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
        }
    }
    out.truncate(reinterpret_cast<char *>(o) - out.data());
}
