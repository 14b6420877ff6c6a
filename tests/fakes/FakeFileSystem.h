#pragma once

#include "FileSystem.h"

#include <QList>
#include <QMap>
#include <QSet>
#include <QStringList>

// An in-memory file system whose steps can be made to fail on demand. Reading
// decodes through the real reader, so encodings and line ends behave as in
// the program.
class FakeFileSystem : public FileSystem
{
public:
    enum class Step { Open, AtEnd, ReadLine, Close, AppendOpen, Write, AppendClose, MakeFolder };

    QString folder = QStringLiteral("/prog");
    QString userFolder = QStringLiteral("/home/u/.local/share/lyrmak"); // empty: no home
    QMap<QString, QByteArray> files;                                    // full path -> bytes
    QSet<QString> folders;
    QStringList log; // every step taken, as "step path"
    // A failing write first writes this many bytes of what it was given.
    qsizetype writtenBeforeFailure = 0;

    // Calls number from, from + 1, ..., from + times - 1 (counted from 1) of
    // `step` on `path` fail with `error`.
    void failAt(Step step, const QString &path, int from, int times, FileError error);
    // The same calls throw std::bad_alloc, as an allocation that fails
    // inside the step would.
    void failAllocationAt(Step step, const QString &path, int from, int times);
    // Counts calls so far of `step` on `path`.
    int calls(Step step, const QString &path) const;

    QString programFolder() const override { return folder; }
    bool isRegularFile(const QString &path) const override;
    std::unique_ptr<TextReader> newReader() override;
    std::unique_ptr<AppendFile> newAppendFile() override;
    QString userDataFolder(FileError &error) override;

    // Used by the fake files.
    FileError take(Step step, const QString &path);

private:
    struct Rule {
        Step step;
        QString path;
        int from;
        int times;
        FileError error;
        bool allocation = false;
    };
    QList<Rule> m_rules;
    QMap<QPair<int, QString>, int> m_calls;
};
