#include "PosixTextReader.h"

#include "TextCodec.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

FileError readWholeFile(const QString &path, QByteArray &out)
{
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return FileError::fromErrno(errno);
    struct stat st {
    };
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        return FileError::of(FileError::Kind::IsFolder);
    }
    out.clear();
    if (st.st_size > 0)
        out.reserve(st.st_size);
    char buf[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            ::close(fd);
            return FileError::fromErrno(err);
        }
        out.append(buf, n);
    }
    ::close(fd);
    return {};
}

} // namespace

FileError PosixTextReader::open(const QString &path)
{
    QByteArray bytes;
    if (FileError e = readWholeFile(path, bytes); !e.ok())
        return e;
    setContent(bytes);
    return {};
}

void PosixTextReader::setContent(QByteArrayView bytes)
{
    m_content = TextCodec::decode(bytes);
    m_next = 0;
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
    if (m_next < m_content.text.size()) {
        qsizetype length = 0;
        const qsizetype next = TextCodec::nextLine(m_content.text, m_next, length);
        line = m_content.text.sliced(m_next, length);
        m_next = next;
        return {};
    }
    if (!m_content.error.ok())
        return m_content.error;
    return FileError::of(FileError::Kind::PastEnd);
}

FileError PosixTextReader::close()
{
    m_open = false;
    m_content = {};
    m_next = 0;
    return {};
}
