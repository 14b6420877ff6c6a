#pragma once

#include "FrameFiller.h"
#include "LyricData.h"
#include "MeterFitter.h"
#include "SongState.h"

#include <QString>
#include <optional>

class Clock;
class FileSystem;
class LyricWindow;
class RandomSource;
class ReadingSource;

// The lyric engine, as the main window drives it:
//
//   Form_Load     seed the generator, check for the help file, then
//                 LyricLoader reads the word lists and frames into LyricData
//                 and the first CurFrame is drawn.
//   mnuNew_Click  draws a new CurFrame, empties the text, starts a new song
//                 (held words and used words are forgotten), appends lyrics.
//   mnuRepeat_Click  appends RndWord(CurFrame) to the window's text.
//   RndWord       FrameFiller replaces the tags of a copy of the frame.
//
// The window, the files and the randomness come in through interfaces, so
// the same engine runs in the program, in the command-line tool and in tests.
class LyricEngine
{
public:
    LyricEngine(FileSystem &files, Clock &clock, RandomSource &random, LyricWindow &window);

    // Form_Load works out the readings when the frame file asks for meters,
    // or always when asked to (the tool's counts); without a source only
    // kana and "'=" lines are read. Data without meters never needs them,
    // and the analyser costs start-up time and memory.
    // WhenMetersLater leaves the work to workOutReadings() (the program
    // calls it once its window is up; the first filling would too), so
    // that the analyser does not delay the window.
    enum class ReadingNeed { WhenMeters, Always, WhenMetersLater };
    void setReadingSource(ReadingSource *source, ReadingNeed need = ReadingNeed::WhenMeters)
    {
        m_readingSource = source;
        m_readingNeed = need;
    }
    // Why the analyser could not read (a missing dictionary); empty when it
    // could, or was not needed.
    const QString &readingFailure() const { return m_readingFailure; }

    void Form_Load();
    // Works out the readings now if they are needed and not yet there; a
    // missing dictionary is told once, for a frame file with meters.
    void workOutReadings();
    // Start-up on data already at hand instead of the files (the sound twin
    // of loaded data that follows a filling in readings): seeds, draws the
    // first frame and gets the filling ready, as Form_Load does.
    void startWith(LyricData data);
    void mnuNew_Click();
    void mnuRepeat_Click();
    QString RndWord(qsizetype n);
    // The program folder, always ending in "/".
    QString MyPath() const;

    const LyricData &data() const { return m_data; }
    // The rules the frame file asked for (refrains or the classic filling).
    FrameFiller::Rules rules() const;
    qsizetype CurFrame() const { return m_curFrame; }
    // Makes frame n the one Append lyrics fills and starts a new song, as
    // New lyrics does but without a draw: the command-line tool's --frame.
    // 0 <= n < frame count.
    void setCurFrame(qsizetype n);
    // True once start-up has unloaded the window: it must never be shown.
    bool unloaded() const { return m_unloaded; }
    // What the song since the last New lyrics has settled (refrains).
    SongState &song() { return m_song; }

    // Targets for the non-empty lines of every frame, in order, in place of
    // the file's; New lyrics then draws only among frames with that many
    // non-empty lines. False (and nothing changed) when no frame has them.
    // An empty list goes back to the file's targets.
    bool setMorae(const QList<int> &morae);
    // Whether frame n can take the targets that setMorae() gave.
    bool fitsMorae(qsizetype n) const;
    // One filling of frame n with `targets` per line (line i is element
    // i + 1 of the frame's split at CR LF; 0: none), as Append lyrics fills:
    // the same song, its held words and used words. For callers that bring
    // their own targets, such as a melody.
    QString RndWordInMeter(qsizetype n, const QList<int> &targets);
    // The per-line targets of `frame` that put `morae` on its non-empty
    // lines in order; empty when it has another number of them.
    static QList<int> lineTargets(const QString &frame, const QList<int> &morae);

private:
    void drawFrame();
    void getReady();

    FileSystem &m_files;
    Clock &m_clock;
    RandomSource &m_random;
    LyricWindow &m_window;
    ReadingSource *m_readingSource = nullptr;
    ReadingNeed m_readingNeed = ReadingNeed::WhenMeters;
    QString m_readingFailure;
    bool m_readingsPending = false; // needed, but not yet worked out
    bool m_readingsDone = false;
    LyricData m_data;
    qsizetype m_curFrame = 0;
    bool m_unloaded = false;
    std::optional<FrameFiller> m_filler; // over m_data, built once loading is done
    SongState m_song;
    // Per frame, made on first use when the lists can be planned.
    QList<std::optional<FrameFiller::TagPlan>> m_plans;
    std::optional<MeterFitter> m_fitter; // made when first needed
    QList<int> m_morae;                  // setMorae()
};
