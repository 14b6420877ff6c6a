#include "PosixTextReader.h"

#include "NativePath.h"
#include "RegularFile.h"
#include "TextCodec.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// Closes the descriptor on every way out of a read.
struct Descriptor {
    int fd;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

FileError PosixTextReader::readRegularFile(const QString &path, QByteArray &out, qint64 maxBytes)
{
    out = QByteArray();
    FileError error;
    const Descriptor file{openRegularFile(NativePath::toNative(path), O_RDONLY, error)};
    if (file.fd < 0)
        return error;
    struct stat st = {};
    if (::fstat(file.fd, &st) != 0)
        return FileError::fromErrno(errno);
    try {
        const qint64 cap = maxBytes < 0 ? std::numeric_limits<qint64>::max() : maxBytes + 1;
        if (st.st_size > 0)
            out.reserve(qsizetype(std::min<qint64>(st.st_size, cap)));
        char buf[1 << 16];
        while (out.size() < cap) {
            const ssize_t n =
                ::read(file.fd, buf, size_t(std::min<qint64>(sizeof buf, cap - out.size())));
            if (n == 0)
                break;
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                const int err = errno;
                out = QByteArray();
                return FileError::fromErrno(err);
            }
            out.append(buf, n);
        }
    } catch (const std::bad_alloc &) {
        out = QByteArray();
        return FileError::of(FileError::Kind::OutOfMemory);
    }
    return {};
}

FileError PosixTextReader::open(const QString &path)
{
    QByteArray bytes;
    if (FileError e = readRegularFile(path, bytes); !e.ok())
        return e;
    try {
        setContent(bytes);
    } catch (const std::bad_alloc &) {
        // Whatever was decoded goes, so that a Retry starts with the memory
        // it had before.
        close();
        return FileError::of(FileError::Kind::OutOfMemory);
    }
    m_path = path;
    return {};
}

FileError PosixTextReader::reread()
{
    QByteArray bytes;
    if (FileError e = readRegularFile(m_path, bytes); !e.ok())
        return e;
    try {
        m_content = TextCodec::decode(bytes);
    } catch (const std::bad_alloc &) {
        m_content = {};
        m_next = 0;
        return FileError::of(FileError::Kind::OutOfMemory);
    }
    m_failed = false;
    m_next = 0;
    qsizetype length = 0;
    for (qsizetype i = 0; i < m_linesRead && m_next < m_content.text.size(); ++i)
        m_next = TextCodec::nextLine(m_content.text, m_next, length);
    return {};
}

void PosixTextReader::setContent(QByteArrayView bytes)
{
    m_content = TextCodec::decode(bytes);
    m_next = 0;
    m_linesRead = 0;
    m_failed = false;
    m_path.clear();
    m_open = true;
}

FileError PosixTextReader::atEnd(bool &end)
{
    if (!m_open)
        return FileError::of(FileError::Kind::NotOpen);
    end = m_next >= m_content.text.size() && m_content.error.ok();
    return {};
}

// Lines are cut from the decoded text one at a time: a large list never
// holds a second copy of itself.
FileError PosixTextReader::readLine(QString &line)
{
    if (!m_open)
        return FileError::of(FileError::Kind::NotOpen);
    if (m_failed && !m_path.isEmpty())
        if (FileError e = reread(); !e.ok())
            return e;
    if (m_next < m_content.text.size()) {
        qsizetype length = 0;
        const qsizetype next = TextCodec::nextLine(m_content.text, m_next, length);
        // A caller that reads into the same string each time keeps its buffer.
        if (line.isDetached() && line.capacity() >= length) {
            line.resize(length);
            std::copy_n(m_content.text.constData() + m_next, length, line.data());
        } else {
            line = m_content.text.sliced(m_next, length);
        }
        m_next = next;
        ++m_linesRead;
        return {};
    }
    if (!m_content.error.ok()) {
        m_failed = true;
        return m_content.error;
    }
    return FileError::of(FileError::Kind::PastEnd);
}

FileError PosixTextReader::close()
{
    m_open = false;
    m_failed = false;
    m_linesRead = 0;
    m_content = {};
    m_next = 0;
    return {};
}
