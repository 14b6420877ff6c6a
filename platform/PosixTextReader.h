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

    // Used by readers that get their bytes from elsewhere (tests, fuzzers).
    void setContent(QByteArrayView bytes);

private:
    bool m_open = false;
    TextCodec::Decoded m_content;
    qsizetype m_next = 0; // where the next line starts in m_content.text
};
