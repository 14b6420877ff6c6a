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
// (writing "?" instead would quietly spoil the lyrics). The block is built
// whole first and written at once while the file is held for this window
// alone, so blocks of several windows never mix. Each file step (open,
// write, close with its sync) is checked; a failure offers Retry, which
// repeats that very step and goes on, or Cancel, which takes back a block
// written only in part and gives the file up.
//
// Where the program folder refuses the file (an installed, read-only
// folder), the block goes to the user's own data folder instead; the program
// folder is tried first on every Save, so a writable copy works as before.
class LyricSaver
{
public:
    LyricSaver(FileSystem &files, LyricWindow &window);

    void save(const QString &path);

    // True when nothing but spaces (U+0020, U+3000) is left.
    static bool isBlank(QStringView text);

private:
    enum class Step { Open, Write, Close, Done };

    // The text in CP932 into m_copy; false, after its box, when there is
    // nothing to save or it cannot be written.
    bool prepare();
    // Runs one step; false when the user gave up on it.
    bool run(Step step, AppendFile &file, const QString &path);
    FileError open(AppendFile &file, const QString &path);
    // The second line of the box for the character of text at `at`.
    static QString describeUnwritable(QStringView text, qsizetype at);
    bool askRetry(const FileError &error);

    FileSystem &m_files;
    LyricWindow &m_window;
    QString m_path;    // the file tried last, named in the boxes
    QByteArray m_copy; // the text and its CR LF, in CP932
    QByteArray m_block;
};
