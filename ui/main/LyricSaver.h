#pragma once

#include "FileError.h"

#include <QString>
#include <QStringView>

class AppendFile;
class FileSystem;
class LyricWindow;

// Save: appends one block to the saved-lyrics file, a line of 31 hyphens and
// then the window's text twice, each line ending in CR LF, in CP932.
//
// Nothing is written for a blank text or for a text that CP932 cannot hold
// (writing "?" instead would quietly spoil the lyrics). Every file step
// (open, each of the three writes, close with its sync) is checked; a failure
// offers Retry, which repeats that very step and goes on, or Cancel, which
// gives the file up and leaves what was already written.
class LyricSaver
{
public:
    LyricSaver(FileSystem &files, LyricWindow &window);

    void save(const QString &path);

    // True when nothing but spaces (U+0020, U+3000) is left.
    static bool isBlank(QStringView text);

private:
    enum class Step { Open, Separator, FirstCopy, SecondCopy, Close, Done };

    // Runs one step; false when the user gave up on it.
    bool run(Step step, AppendFile &file, const QString &path);
    bool encode(const QString &text);
    // The second line of the box for the character of text at `at`.
    static QString describeUnwritable(QStringView text, qsizetype at);
    bool askRetry(const FileError &error);

    FileSystem &m_files;
    LyricWindow &m_window;
    QString m_encodedText;
    QByteArray m_bytes;
};
