#include "RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

FileError kindOf(const struct stat &st)
{
    if (S_ISDIR(st.st_mode))
        return FileError::of(FileError::Kind::IsFolder);
    if (!S_ISREG(st.st_mode))
        return FileError::of(FileError::Kind::NotRegular);
    return {};
}

} // namespace

int openRegularFile(const QByteArray &nativePath, int flags, FileError &error, mode_t mode)
{
    struct stat st = {};
    if (::stat(nativePath.constData(), &st) == 0)
        if (error = kindOf(st); !error.ok())
            return -1;
    const int fd = ::open(nativePath.constData(), flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, mode);
    if (fd < 0) {
        error = FileError::fromErrno(errno);
        return -1;
    }
    if (::fstat(fd, &st) != 0)
        error = FileError::fromErrno(errno);
    else
        error = kindOf(st);
    if (!error.ok()) {
        ::close(fd);
        return -1;
    }
    return fd;
}
