#pragma once

#include "TextCodec.h"
#include "TextReader.h"

#include <QStringList>

// Reads a whole data file at open and hands out its decoded lines. A line
// with invalid bytes fails its own read, so the lines before it still load;
// the next try of that read reads the file again, so that a file the user
// has mended meanwhile goes on from the same line.
class PosixTextReader : public TextReader
{
public:
    FileError open(const QString &path) override;
    FileError atEnd(bool &end) override;
    FileError readLine(QString &line) override;
    FileError close() override;

    // The bytes of a regular file (or a link to one), read without ever
    // waiting on a FIFO or reading a device without end. With maxBytes >= 0,
    // at most maxBytes + 1 bytes are read: more than maxBytes means "too big".
    static FileError readRegularFile(const QString &path, QByteArray &out, qint64 maxBytes = -1);

    // Used by readers that get their bytes from elsewhere (tests, fuzzers).
    void setContent(QByteArrayView bytes);

private:
    FileError reread();

    QString m_path; // empty for content set directly
    qsizetype m_linesRead = 0;
    bool m_failed = false; // the last read met invalid bytes
    bool m_open = false;
    TextCodec::Decoded m_content;
    qsizetype m_next = 0; // where the next line starts in m_content.text
};
