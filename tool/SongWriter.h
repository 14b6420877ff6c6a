#pragma once

#include "FolderFileSystem.h"
#include "LyricEngine.h"
#include "SeededRandom.h"
#include "SystemClock.h"
#include "TerminalWindow.h"

#include <QByteArray>
#include <optional>

// Writes songs with the engine itself, so that each song is exactly the text
// the program would show after New lyrics and some Append lyrics: the same
// start-up, the same draws, the same filling.
class SongWriter
{
public:
    // `seed` fixes the generator; without it the clock seeds it, as in the
    // program.
    SongWriter(const QString &folder, std::optional<quint64> seed);

    // The program's start-up. False when the program would not start; the
    // reasons are in messages().
    bool load();
    const QStringList &messages() const { return m_window.messages(); }
    qsizetype frameCount() const { return m_engine.data().Frames.size(); }

    // One song: New lyrics (on `frame` when given, else a drawn frame), then
    // `appends` Append lyrics. Appended to `out` in UTF-8 with LF line ends.
    void writeSong(quint64 appends, std::optional<qsizetype> frame, QByteArray &out);

    // `text` in UTF-8 with each CR LF written as LF.
    static void appendUtf8WithLf(QStringView text, QByteArray &out);

private:
    FolderFileSystem m_files;
    SystemClock m_clock;
    SeededRandom m_random;
    TerminalWindow m_window;
    LyricEngine m_engine;
};
