#pragma once

#include "FileError.h"

#include <QByteArray>
#include <QString>

// A file opened for appending bytes, held for this writer alone from open()
// to close() so that writers in other windows and programs never interleave.
// close() makes the data durable (flush and sync) so that a full disk or a
// failing device is reported, not hidden.
class AppendFile
{
public:
    virtual ~AppendFile() = default;
    // Opens (creating the file when missing) and takes the file for this
    // writer alone; only an ordinary file, or a link to one, is accepted.
    virtual FileError open(const QString &path) = 0;
    // Whether the file, as open() found it, is empty or ends in CR LF: a
    // block appended to it then starts on a line of its own.
    virtual bool endsInLineBreak() const = 0;
    // A write that failed part-way and is repeated with the same bytes goes
    // on where it stopped, so nothing is written twice.
    virtual FileError write(const QByteArray &bytes) = 0;
    virtual FileError close() = 0;
    // Gives up: takes back the part of a write that failed part-way (the
    // file returns to its size before that write), then releases the file
    // without syncing, ignoring any failure.
    virtual void discard() = 0;
    virtual bool isOpen() const = 0;
};
