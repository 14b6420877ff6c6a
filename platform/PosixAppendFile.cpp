#include "PosixAppendFile.h"

#include "NativePath.h"
#include "RegularFile.h"

#include <QDeadlineTimer>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace
{

// Read access, where granted, lets open() look at the file's last bytes.
int openForAppend(const QByteArray &native, bool &readable, FileError &error)
{
    constexpr int flags = O_APPEND | O_CREAT;
    readable = true;
    int fd = openRegularFile(native, O_RDWR | flags, error, 0666);
    if (fd < 0 && error.kind == FileError::Kind::AccessDenied) {
        readable = false;
        fd = openRegularFile(native, O_WRONLY | flags, error, 0666);
    }
    return fd;
}

bool endsInCrLf(int fd, off_t size, bool readable)
{
    if (size == 0 || !readable)
        return true;
    char tail[2] = {};
    if (size < 2)
        return false;
    for (;;) {
        const ssize_t n = ::pread(fd, tail, 2, size - 2);
        if (n < 0 && errno == EINTR)
            continue;
        // An unreadable tail is left as it is rather than guessed at.
        return n != 2 || (tail[0] == '\r' && tail[1] == '\n');
    }
}

} // namespace

PosixAppendFile::PosixAppendFile(std::chrono::milliseconds lockWait) : m_lockWait(lockWait) {}

PosixAppendFile::~PosixAppendFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

FileError PosixAppendFile::lock(int fd) const
{
    const QDeadlineTimer deadline(m_lockWait);
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return {};
        const int err = errno;
        if (err == EINTR)
            continue;
        // Some network file systems offer no locks: write unlocked there,
        // as any other program would.
        if (err == ENOLCK || err == EOPNOTSUPP || err == EINVAL)
            return {};
        if (err != EWOULDBLOCK)
            return FileError::fromErrno(err);
        if (deadline.hasExpired())
            return FileError::of(FileError::Kind::InUse);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

FileError PosixAppendFile::open(const QString &path)
{
    if (m_fd >= 0)
        return {};
    bool readable = true;
    FileError error;
    m_path = NativePath::toNative(path);
    struct stat before = {};
    m_created = ::lstat(m_path.constData(), &before) != 0 && errno == ENOENT;
    const int fd = openForAppend(m_path, readable, error);
    if (fd < 0)
        return error;
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (FileError e = lock(fd); !e.ok()) {
        removeIfCreatedEmpty(fd);
        ::close(fd);
        return e;
    }
    // The size only counts once the file is ours: another writer may have
    // added to it while we waited.
    struct stat st = {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        return FileError::fromErrno(err);
    }
    m_fd = fd;
    m_endsInLineBreak = endsInCrLf(fd, st.st_size, readable);
    m_pending = QByteArray();
    return {};
}

FileError PosixAppendFile::write(const QByteArray &bytes)
{
    if (m_fd < 0)
        return FileError::of(FileError::Kind::NotOpen);
    qsizetype done = 0;
    if (!m_pending.isNull() && m_pending == bytes) {
        done = m_pendingDone;
    } else {
        struct stat st = {};
        m_pendingStart = ::fstat(m_fd, &st) == 0 ? st.st_size : -1;
    }
    // One write() for all of it on an ordinary file; the loop only goes on
    // after a signal or a write cut short.
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
    // Closing lets the lock go, after the last byte.
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
    if (m_fd < 0)
        return;
    // Still holding the lock, cut off what the unfinished write left, but
    // only when the file holds nothing beyond it: a program that ignores
    // the lock may have added to it meanwhile.
    struct stat st = {};
    if (!m_pending.isNull() && m_pendingStart >= 0 && m_pendingDone > 0 &&
        ::fstat(m_fd, &st) == 0 && st.st_size == m_pendingStart + m_pendingDone) {
        while (::ftruncate(m_fd, m_pendingStart) != 0 && errno == EINTR) {
        }
    }
    removeIfCreatedEmpty(m_fd);
    ::close(m_fd);
    m_fd = -1;
    m_pending = QByteArray();
}

void PosixAppendFile::removeIfCreatedEmpty(int fd) const
{
    // A Save given up on a new file leaves no empty file behind. Another
    // writer may have put a file of its own at the path meanwhile: only this
    // very file goes, and only while nothing is in it.
    struct stat held = {}, atPath = {};
    if (m_created && ::fstat(fd, &held) == 0 && held.st_size == 0 &&
        ::lstat(m_path.constData(), &atPath) == 0 && atPath.st_dev == held.st_dev &&
        atPath.st_ino == held.st_ino)
        ::unlink(m_path.constData());
}
