#pragma once

#include "FolderFileSystem.h"
#include "LyricEngine.h"
#include "SeededRandom.h"
#include "SystemClock.h"
#include "TerminalWindow.h"

#include <QByteArray>
#include <functional>
#include <optional>

// Writes songs with the engine itself, so that each song is exactly the text
// the program would show after New lyrics and some Append lyrics: the same
// start-up, the same draws, the same filling.
class SongWriter
{
public:
    // Takes bytes to write out; false when they could not be written.
    using Output = std::function<bool(QByteArrayView bytes)>;

    // `seed` fixes the generator; without it the clock seeds it, as in the
    // program. Songs go to `output` in UTF-8 with LF line ends.
    SongWriter(const QString &folder, std::optional<quint64> seed, Output output);

    // The program's start-up. False when the program would not start; the
    // reasons are in messages().
    bool load();
    const QStringList &messages() const { return m_window.messages(); }
    qsizetype frameCount() const { return m_engine.data().Frames.size(); }

    // One song: New lyrics (on `frame` when given, else a drawn frame), then
    // `appends` Append lyrics. Each filling is handed on as it is made, so
    // memory stays the same however long the song. False once the output
    // has failed; nothing more is written then.
    bool writeSong(quint64 appends, std::optional<qsizetype> frame);
    // Writes out what is still held back; false when the output failed.
    bool finish();

    // Targets in morae for the non-empty lines of a frame that has `lines`
    // of them, in order.
    using LineTargets = std::function<QList<int>(qsizetype lines)>;
    // One filling of a song as the window shows it (CR LF line ends), not
    // written out: New lyrics (on `frame` when given) for a new song, else
    // Append lyrics, each non-empty line filled to its target.
    QString fill(bool newSong, std::optional<qsizetype> frame, const LineTargets &targets);
    // A filled line's reading in kana.
    QString reading(const QString &line) const;
    // Writes `text` out as songs are written.
    void write(QStringView text);

    // `text` in UTF-8 with each CR LF written as LF.
    static void appendUtf8WithLf(QStringView text, QByteArray &out);

private:
    void take(const QString &piece);
    void flush();

    FolderFileSystem m_files;
    SystemClock m_clock;
    SeededRandom m_random;
    TerminalWindow m_window;
    LyricEngine m_engine;
    Output m_output;
    QByteArray m_buffer;          // written out in blocks, not filling by filling
    bool m_failed = false;        // the output refused bytes
    bool m_atLineStart = true;    // the last byte written was a line break
    QString *m_capture = nullptr; // takes the text instead of the output
};
