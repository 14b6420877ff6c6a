#include "PosixAppendFile.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

PosixAppendFile::~PosixAppendFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

FileError PosixAppendFile::open(const QString &path)
{
    if (m_fd >= 0)
        return {};
    const QByteArray native = QFile::encodeName(path);
    m_fd = ::open(native.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (m_fd < 0)
        return FileError::fromErrno(errno);
    return {};
}

FileError PosixAppendFile::write(const QByteArray &bytes)
{
    if (m_fd < 0)
        return FileError::of(FileError::Kind::NotOpen);
    qsizetype done = 0;
    if (!m_pending.isNull() && m_pending == bytes)
        done = m_pendingDone;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            m_pending = bytes;
            m_pendingDone = done;
            return FileError::fromErrno(err);
        }
        done += n;
    }
    m_pending = QByteArray();
    m_pendingDone = 0;
    return {};
}

FileError PosixAppendFile::close()
{
    if (m_fd < 0)
        return {};
    // Devices that cannot be synced (EINVAL) hold nothing to lose here.
    if (::fsync(m_fd) != 0 && errno != EINVAL && errno != EROFS)
        return FileError::fromErrno(errno);
    const int rc = ::close(m_fd);
    const int err = errno;
    m_fd = -1;
    m_pending = QByteArray();
    if (rc != 0 && err != EINTR)
        return FileError::fromErrno(err);
    return {};
}

void PosixAppendFile::discard()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_pending = QByteArray();
}
