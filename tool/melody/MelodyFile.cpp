#include "MelodyFile.h"

#include "MidiReader.h"
#include "MusicXmlReader.h"
#include "MxlArchive.h"

#include "RegularFile.h"

#include <QFile>
#include <fcntl.h>
#include <unistd.h>

bool MelodyFile::fail(const QString &path, const QString &message)
{
    m_melody = {};
    m_error = QStringLiteral("%1: %2").arg(path, message);
    return false;
}

bool MelodyFile::read(const QString &path, int part)
{
    // A FIFO or a device would hold the tool waiting: regular files only.
    FileError error;
    const int fd = openRegularFile(QFile::encodeName(path), O_RDONLY, error);
    if (fd < 0)
        return fail(path, error.description());
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(path, QStringLiteral("ファイルを開けません"));
    }
    // One byte past the limit tells a file that is too large.
    const QByteArray bytes = file.read(kMaxFileSize + 1);
    if (bytes.size() > kMaxFileSize)
        return fail(path, QStringLiteral("ファイルが大きすぎます（%1 MB まで）")
                              .arg(kMaxFileSize / (1024 * 1024)));
    return read(bytes, path, part);
}

bool MelodyFile::read(QByteArrayView bytes, const QString &path, int part)
{
    m_error.clear();
    if (MidiReader::looksLikeMidi(bytes)) {
        MidiReader reader;
        if (!reader.read(bytes, part))
            return fail(path, reader.error());
        m_melody = reader.melody();
        return true;
    }
    // XML may begin with a byte order mark or blank space.
    QByteArrayView start = bytes.first(std::min<qsizetype>(bytes.size(), 64));
    if (start.startsWith("\xEF\xBB\xBF"))
        start = start.sliced(3);
    start = start.trimmed();
    if (MxlArchive::looksLikeZip(bytes) || start.startsWith("<")) {
        MusicXmlReader reader;
        if (!reader.read(bytes, part))
            return fail(path, reader.error());
        m_melody = reader.melody();
        return true;
    }
    if (bytes.isEmpty())
        return fail(path, QStringLiteral("空のファイルです"));
    return fail(path, QStringLiteral("MIDI ファイルでも MusicXML ファイルでもありません"));
}
