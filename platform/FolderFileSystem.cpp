#include "FolderFileSystem.h"

FolderFileSystem::FolderFileSystem(const QString &folder) : m_folder(normalized(folder)) {}

QString FolderFileSystem::normalized(const QString &folder)
{
    QString f = folder;
    while (f.size() > 1 && f.endsWith(QLatin1Char('/')))
        f.chop(1);
    return f;
}
