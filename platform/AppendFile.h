#pragma once

#include "FileError.h"

#include <QByteArray>
#include <QString>

// A file opened for appending bytes. close() makes the data durable (flush and
// sync) so that a full disk or a failing device is reported, not hidden.
class AppendFile
{
public:
    virtual ~AppendFile() = default;
    virtual FileError open(const QString &path) = 0;
    virtual FileError write(const QByteArray &bytes) = 0;
    virtual FileError close() = 0;
    // Gives up: releases the file without syncing, ignoring any failure.
    virtual void discard() = 0;
    virtual bool isOpen() const = 0;
};
