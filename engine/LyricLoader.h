#pragma once

#include "LyricData.h"

#include <QString>

class FileSystem;
class LyricWindow;
class TextReader;
struct FileError;

// Reads the five word lists and the frame file into LyricData. Every file
// step is guarded: a failure shows the load-failure box, Retry repeats the
// very step, Cancel closes the file, unloads the window and stops loading.
class LyricLoader
{
public:
    LyricLoader(FileSystem &files, LyricWindow &window, LyricData &data, QString folder);

    // Both return false when the user cancelled (the window is then unloaded).
    bool WordRead();
    bool FrameRead();

    // Comment lines the loader reads besides skipping them: "'=" after a
    // word or frame line gives its reading (stored in katakana); "'!拍 N"
    // (N from 1 to 99, written plainly) gives the next frame line a target.
    static bool isReadingLine(QStringView line);
    static QString readingIn(QStringView line);
    // The target, or 0 when the line is no such comment.
    static int meterIn(QStringView line);

private:
    enum class Outcome { Done, Cancelled, Again };

    template <typename Step>
    bool guard(const QString &path, bool words, TextReader *open, Step step);
    bool refuse(const QString &path, bool words, const QString &why);
    template <typename Read>
    Outcome startOverIfOutOfMemory(const QString &path, bool words, QStringList &stored, Read read);
    Outcome readWordFile(WordList &list);
    Outcome readFrameFile();

    FileSystem &m_files;
    LyricWindow &m_window;
    LyricData &m_data;
    QString m_folder;
    int m_frameStart = 0; // line where the frame being read began
};
