#pragma once

#include "FileError.h"

#include <QString>

// A text file opened for reading line by line. Each step reports its own
// failure so that a caller can offer to repeat exactly that step.
class TextReader
{
public:
    virtual ~TextReader() = default;
    virtual FileError open(const QString &path) = 0;
    virtual FileError atEnd(bool &end) = 0;
    // Reading after the last line fails with FileError::Kind::PastEnd.
    virtual FileError readLine(QString &line) = 0;
    virtual FileError close() = 0;
};
