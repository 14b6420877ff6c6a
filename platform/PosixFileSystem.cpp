#include "PosixFileSystem.h"

#include "PosixAppendFile.h"
#include "PosixTextReader.h"
#include "UserDataFolder.h"

#include "NativePath.h"

#include <sys/stat.h>

QString PosixFileSystem::programFolder() const
{
    return NativePath::programFolder();
}

bool PosixFileSystem::isRegularFile(const QString &path) const
{
    struct stat st = {};
    return ::stat(NativePath::toNative(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
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
