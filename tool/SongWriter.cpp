#include "SongWriter.h"

#include "Morae.h"
#include "ReadingMaker.h"

namespace
{

// Large enough that writing costs little, small enough to go unnoticed.
constexpr qsizetype kFlushAt = 1 << 16;

} // namespace

SongWriter::SongWriter(const QString &folder, std::optional<quint64> seed, Output output)
    : m_files(folder), m_random(seed), m_engine(m_files, m_clock, m_echoed, m_window),
      m_soundEngine(m_files, m_clock, m_echoed.echo(), m_soundWindow), m_output(std::move(output))
{
    m_buffer.reserve(2 * kFlushAt);
}

bool SongWriter::load()
{
    const bool sounds = m_sounds != Sounds::Off || m_needSounds;
    m_echoed.keep(sounds);
    m_engine.setReadingSource(&m_readings, sounds ? LyricEngine::ReadingNeed::Always
                                                  : LyricEngine::ReadingNeed::WhenMeters);
    m_engine.Form_Load();
    if (m_engine.unloaded() || m_window.unloaded())
        return false;
    if (!sounds) {
        m_window.setSink([this](const QString &piece) { take(piece); });
        return true;
    }
    m_soundEngine.startWith(ReadingMaker::soundTwin(m_engine.data()));
    m_window.setSink([this](const QString &piece) { m_text = piece; });
    m_soundWindow.setSink([this](const QString &piece) {
        takeWithSound(m_text, piece);
        m_text.clear();
    });
    return true;
}

bool SongWriter::writeSong(quint64 appends, std::optional<qsizetype> frame)
{
    // Each command runs on the sound engine right after the first, on the
    // same draws.
    const bool sounds = m_sounds != Sounds::Off;
    if (frame) {
        m_window.setText(QString());
        m_engine.setCurFrame(*frame);
        m_engine.mnuRepeat_Click();
        if (sounds) {
            m_soundEngine.setCurFrame(*frame);
            m_soundEngine.mnuRepeat_Click();
        }
    } else {
        m_engine.mnuNew_Click();
        if (sounds)
            m_soundEngine.mnuNew_Click();
    }
    for (quint64 i = 0; i < appends && !m_failed; ++i) {
        m_engine.mnuRepeat_Click();
        if (sounds)
            m_soundEngine.mnuRepeat_Click();
    }
    if (sounds && !m_lineText.isEmpty())
        endLine(false);
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

SongWriter::Filling SongWriter::fill(bool newSong, std::optional<qsizetype> frame,
                                     const LineTargets &targets)
{
    if (m_engine.data().Frames.isEmpty())
        return {};
    // The sound engine takes every command right after the first, on the
    // same draws.
    if (newSong) {
        // The frame is drawn as New lyrics draws it.
        const qsizetype n =
            frame ? *frame : FrameFiller::pickIndex(m_echoed.next(), m_engine.data().Frames.size());
        if (!frame)
            m_echoed.echo().next();
        m_engine.setCurFrame(n);
        m_soundEngine.setCurFrame(n);
    }
    const qsizetype n = m_engine.CurFrame();
    const QString &text = m_engine.data().Frames.at(n);
    // Line i of the frame is piece i + 1 of its split; the empty ones take
    // no target.
    const QList<QStringView> pieces = QStringView(text).split(u"\r\n");
    qsizetype sung = 0;
    for (qsizetype i = 1; i < pieces.size(); ++i)
        sung += pieces[i].isEmpty() ? 0 : 1;
    const QList<int> perLine = LyricEngine::lineTargets(text, targets(sung));
    Filling f;
    f.text = m_engine.RndWordInMeter(n, perLine);
    f.sound = m_soundEngine.RndWordInMeter(n, perLine);
    return f;
}

void SongWriter::write(const Filling &song)
{
    if (m_sounds == Sounds::Off) {
        take(song.text);
        return;
    }
    takeWithSound(song.text, song.sound);
    if (!m_lineText.isEmpty())
        endLine(false);
}

void SongWriter::take(const QString &piece)
{
    if (m_failed || piece.isEmpty())
        return;
    appendUtf8WithLf(piece, m_buffer);
    m_atLineStart = m_buffer.endsWith('\n');
    if (m_buffer.size() >= kFlushAt)
        flush();
}

void SongWriter::takeWithSound(const QString &text, const QString &sound)
{
    static const QString kCrLf = QStringLiteral("\r\n");
    const QStringList lines = text.split(kCrLf);
    QStringList sounds = sound.split(kCrLf);
    // A word that made a tag at a seam in one text but not in the other
    // would part them: then the lines have no known sound.
    if (sounds.size() != lines.size())
        sounds = QStringList(lines.size(), QStringLiteral("?"));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            endLine(true);
        m_lineText += lines[i];
        m_lineSound += sounds[i];
    }
}

void SongWriter::endLine(bool lineBreak)
{
    QString line = m_lineText;
    if (!line.isEmpty()) {
        const int morae = Morae::count(m_lineSound);
        line += QLatin1Char('\t') + (morae < 0 ? QStringLiteral("?") : QString::number(morae));
        if (m_sounds == Sounds::Kana)
            line += QLatin1Char('\t') + m_lineSound;
    }
    if (lineBreak)
        line += QStringLiteral("\r\n");
    m_lineText.clear();
    m_lineSound.clear();
    take(line);
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
        // Most of a song: kana and kanji, three bytes each.
        if (c >= 0x800 && (c < 0xD800 || c >= 0xE000)) {
            o[0] = static_cast<unsigned char>(0xE0 | (c >> 12));
            o[1] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
            o[2] = static_cast<unsigned char>(0x80 | (c & 0x3F));
            o += 3;
            continue;
        }
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
                c = QChar::ReplacementCharacter;
                *o++ = static_cast<unsigned char>(0xE0 | (c >> 12));
            }
            *o++ = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
            *o++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
        }
    }
    out.truncate(reinterpret_cast<char *>(o) - out.data());
}
