#pragma once

#include "TextCodec.h"
#include "TextReader.h"

#include <QStringList>

// Reads a whole data file at open and hands out its decoded lines. A line
// with invalid bytes fails its own read, so the lines before it still load.
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
    bool m_open = false;
    TextCodec::Decoded m_content;
    qsizetype m_next = 0; // where the next line starts in m_content.text
};
