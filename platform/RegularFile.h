#pragma once

#include "FileError.h"

#include <QByteArray>
#include <sys/types.h>

// Opens a regular file (or a link to one) and nothing else, without ever
// waiting: a FIFO would block open() until a writer or reader comes, a device
// would read or swallow without end. The path is looked at before opening, so
// that nothing else is opened at all (an open can have effects of its own);
// fstat then settles it for the file actually opened. `flags` gets
// O_NONBLOCK, O_CLOEXEC and O_NOCTTY added; a regular file ignores the first.
// Returns the descriptor, or -1 with `error` set.
int openRegularFile(const QByteArray &nativePath, int flags, FileError &error, mode_t mode = 0);
