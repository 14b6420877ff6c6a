#pragma once

#include "AppendFile.h"
#include "TextReader.h"

#include <QString>
#include <memory>

// The program's view of the file system: its own folder, and files opened
// one step at a time. Tests replace it with a scripted fake.
class FileSystem
{
public:
    virtual ~FileSystem() = default;
    // The folder that holds the program file, without a trailing separator
    // (except for the root, "/").
    virtual QString programFolder() const = 0;
    // True for an ordinary file, or a link to one; a folder does not count.
    virtual bool isRegularFile(const QString &path) const = 0;
    virtual std::unique_ptr<TextReader> newReader() = 0;
    virtual std::unique_ptr<AppendFile> newAppendFile() = 0;
    // The user's own folder for files the program folder cannot take (it is
    // read-only where the program is installed), made when missing. Empty
    // when the user has no home; `error` says why it could not be made.
    virtual QString userDataFolder(FileError &error) = 0;
};
