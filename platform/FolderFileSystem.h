#pragma once

#include "PosixFileSystem.h"

// The real file system with the program folder pointed at any folder, so the
// engine reads that folder's data exactly as the program reads its own.
class FolderFileSystem : public PosixFileSystem
{
public:
    explicit FolderFileSystem(const QString &folder);
    QString programFolder() const override { return m_folder; }

    // The folder without trailing separators, except for the root.
    static QString normalized(const QString &folder);

private:
    QString m_folder;
};
