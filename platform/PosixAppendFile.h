#pragma once

#include "AppendFile.h"

#include <chrono>

// Appends through the system's own calls so that every failure (open, each
// write, the final sync and close) is seen with its real cause. The file is
// held with an exclusive flock() from open() to close(); other windows of
// the program, and programs that honour flock(), wait for it.
class PosixAppendFile : public AppendFile
{
public:
    // How long open() waits for another writer to let the file go before it
    // reports the file as in use.
    explicit PosixAppendFile(std::chrono::milliseconds lockWait = std::chrono::seconds(2));
    ~PosixAppendFile() override;
    FileError open(const QString &path) override;
    bool endsInLineBreak() const override { return m_endsInLineBreak; }
    FileError write(const QByteArray &bytes) override;
    FileError close() override;
    void discard() override;
    bool isOpen() const override { return m_fd >= 0; }

private:
    FileError lock(int fd) const;
    // Removes the file this writer created when it is still empty and still
    // the one at the path.
    void removeIfCreatedEmpty(int fd) const;

    std::chrono::milliseconds m_lockWait;
    int m_fd = -1;
    bool m_endsInLineBreak = true;
    bool m_created = false; // open() made the file
    QByteArray m_path;
    QByteArray m_pending;
    qsizetype m_pendingDone = 0;
    qint64 m_pendingStart = 0; // the file's size before the pending write
};
