#pragma once

#include "AppendFile.h"

// Appends through the system's own calls so that every failure (open, each
// write, the final sync and close) is seen with its real cause.
class PosixAppendFile : public AppendFile
{
public:
    ~PosixAppendFile() override;
    FileError open(const QString &path) override;
    // A write that failed part-way and is repeated with the same bytes goes
    // on where it stopped, so a retried line is never written twice.
    FileError write(const QByteArray &bytes) override;
    FileError close() override;
    void discard() override;
    bool isOpen() const override { return m_fd >= 0; }

private:
    int m_fd = -1;
    QByteArray m_pending;
    qsizetype m_pendingDone = 0;
};
