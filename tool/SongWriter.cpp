#include "SongWriter.h"

#include "Morae.h"
#include "ReadingMaker.h"
#include "Utf8WithLf.h"

#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
#include <immintrin.h>
#define LYRMAK_X86 1
#endif

namespace
{

// Large enough that writing costs little, small enough to go unnoticed.
constexpr qsizetype kFlushAt = 1 << 16;

#ifdef LYRMAK_X86
__attribute__((target("avx"))) void zeroUpper()
{
    _mm256_zeroupper();
}
#endif

// Qt's string hash, on processors with AES in wide vectors, leaves the
// upper halves of the vector registers in use, and every SSE instruction
// after it then waits on them: the whole filling ran a sixth slower. The
// start-up hashes strings; each song starts with them cleared.
void settleVectors()
{
#ifdef LYRMAK_X86
    static const bool avx = __builtin_cpu_supports("avx");
    if (avx)
        zeroUpper();
#endif
}

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
    settleVectors();
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
    settleVectors();
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
    Utf8WithLf::append(piece, m_buffer);
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
