#include "PosixFileSystem.h"

#include "PosixAppendFile.h"
#include "PosixTextReader.h"
#include "UserDataFolder.h"

#include <QCoreApplication>
#include <QFileInfo>

QString PosixFileSystem::programFolder() const
{
    return QCoreApplication::applicationDirPath();
}

bool PosixFileSystem::isRegularFile(const QString &path) const
{
    return QFileInfo(path).isFile();
}

std::unique_ptr<TextReader> PosixFileSystem::newReader()
{
    return std::make_unique<PosixTextReader>();
}

std::unique_ptr<AppendFile> PosixFileSystem::newAppendFile()
{
    return std::make_unique<PosixAppendFile>();
}

QString PosixFileSystem::userDataFolder(FileError &error)
{
    const QString folder = UserDataFolder::location();
    error = folder.isEmpty() ? FileError() : UserDataFolder::make(folder);
    return folder;
}
