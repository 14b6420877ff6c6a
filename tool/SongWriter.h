#pragma once

#include "EchoRandom.h"
#include "FolderFileSystem.h"
#include "LyricEngine.h"
#include "MecabReadingSource.h"
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

    // Each non-empty line followed by a tab and its count of morae ("?" when
    // some part of it has no reading), and with Kana also a tab and its
    // reading. Set before load().
    enum class Sounds { Off, Morae, Kana };
    void setSounds(Sounds sounds) { m_sounds = sounds; }
    // Why the readings could not be had; empty when they could.
    const QString &readingFailure() const { return m_engine.readingFailure(); }

    // The program's start-up. False when the program would not start; the
    // reasons are in messages().
    bool load();
    const QStringList &messages() const { return m_window.messages(); }
    qsizetype frameCount() const { return m_engine.data().Frames.size(); }
    // Targets for the non-empty lines of every song (see LyricEngine::setMorae).
    bool setMorae(const QList<int> &morae)
    {
        return m_engine.setMorae(morae) &&
               (m_sounds == Sounds::Off || m_soundEngine.setMorae(morae));
    }
    bool fitsMorae(qsizetype frame) const { return m_engine.fitsMorae(frame); }

    // One song: New lyrics (on `frame` when given, else a drawn frame), then
    // `appends` Append lyrics. Each filling is handed on as it is made, so
    // memory stays the same however long the song. False once the output
    // has failed; nothing more is written then.
    bool writeSong(quint64 appends, std::optional<qsizetype> frame);
    // Writes out what is still held back; false when the output failed.
    bool finish();

    // The sound of each filling is worked out even when it is not shown
    // (a melody needs the syllables). Set before load().
    void needSounds() { m_needSounds = true; }
    // Targets in morae for the non-empty lines of a frame that has `lines`
    // of them, in order.
    using LineTargets = std::function<QList<int>(qsizetype lines)>;
    // One filling of a song (CR LF line ends) and its sound, the same
    // filling in readings; not written out. A new song starts on `frame`
    // when given, else on a drawn frame; each non-empty line is filled to
    // its target.
    struct Filling {
        QString text, sound;
    };
    Filling fill(bool newSong, std::optional<qsizetype> frame, const LineTargets &targets);
    // Writes a song made of fillings as writeSong() writes its own.
    void write(const Filling &song);

private:
    void take(const QString &piece);
    void takeWithSound(const QString &text, const QString &sound);
    void endLine(bool lineBreak);
    void flush();

    FolderFileSystem m_files;
    MecabReadingSource m_readings;
    SystemClock m_clock;
    SeededRandom m_random;
    EchoRandom m_echoed{m_random};
    TerminalWindow m_window;
    LyricEngine m_engine;
    // The same engine over the readings, in step with the first one: what
    // it writes is the sound of what the first one writes.
    Sounds m_sounds = Sounds::Off;
    TerminalWindow m_soundWindow;
    LyricEngine m_soundEngine;
    QString m_text, m_sound;         // the last filling of each, until both are in
    QString m_lineText, m_lineSound; // the line not yet ended
    Output m_output;
    QByteArray m_buffer;       // written out in blocks, not filling by filling
    bool m_failed = false;     // the output refused bytes
    bool m_atLineStart = true; // the last byte written was a line break
    bool m_needSounds = false;
};
