#pragma once

#include <QByteArray>
#include <QString>

// The outcome of one file step. Carries enough of the cause to tell the user,
// in a short Japanese line, what went wrong.
struct FileError {
    enum class Kind {
        None,
        NotFound,     // the file does not exist
        PathNotFound, // a folder on the way does not exist
        InUse,        // another writer holds the file and did not let it go
        AccessDenied,
        IsFolder,
        NotRegular, // a FIFO, a device or a socket in place of a file
        BadBytes,   // bytes that are not valid in the file's encoding
        PastEnd,    // a read after the last line
        NoSpace,
        NotOpen,
        IoError,
        OutOfMemory,
    };

    Kind kind = Kind::None;
    int line = 0;     // for BadBytes: the 1-based line number
    QByteArray bytes; // for BadBytes: the offending bytes
    QString detail;   // for IoError: the system's own text

    bool ok() const { return kind == Kind::None; }
    static FileError fromErrno(int err);
    static FileError of(Kind kind)
    {
        FileError e;
        e.kind = kind;
        return e;
    }

    // One line of Japanese for the second line of a failure box.
    QString description() const;
};
