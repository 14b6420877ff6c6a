#pragma once

#include "FileSystem.h"

class PosixFileSystem : public FileSystem
{
public:
    QString programFolder() const override;
    bool isRegularFile(const QString &path) const override;
    std::unique_ptr<TextReader> newReader() override;
    std::unique_ptr<AppendFile> newAppendFile() override;
    QString userDataFolder(FileError &error) override;
};
