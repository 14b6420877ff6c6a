#include "UserDataFolder.h"

#include "NativePath.h"

#include <cerrno>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

QString UserDataFolder::location(const QString &xdgDataHome, const QString &home)
{
    // A relative XDG_DATA_HOME is invalid and would follow the working folder.
    if (xdgDataHome.startsWith(QLatin1Char('/')))
        return xdgDataHome + QStringLiteral("/lyrmak");
    if (!home.startsWith(QLatin1Char('/')))
        return QString();
    return (home == QLatin1String("/") ? QString() : home) + QStringLiteral("/.local/share/lyrmak");
}

QString UserDataFolder::location()
{
    // As bytes: a home folder need not be UTF-8.
    QString home = NativePath::fromNative(qgetenv("HOME"));
    if (home.isEmpty()) {
        if (const passwd *pw = ::getpwuid(::getuid()))
            home = NativePath::fromNative(pw->pw_dir);
    }
    return location(NativePath::fromNative(qgetenv("XDG_DATA_HOME")), home);
}

FileError UserDataFolder::make(const QString &path)
{
    const QByteArray native = NativePath::toNative(path);
    struct stat st = {};
    for (qsizetype end = 1; end <= native.size(); ++end) {
        if (end < native.size() && native[end] != '/')
            continue;
        const QByteArray part = native.left(end);
        // A folder that is there already may still refuse mkdir with EACCES.
        if (::mkdir(part.constData(), 0700) != 0 && errno != EEXIST) {
            const int err = errno;
            if (::stat(part.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
                return FileError::fromErrno(err);
        }
    }
    if (::stat(native.constData(), &st) != 0)
        return FileError::fromErrno(errno);
    return S_ISDIR(st.st_mode) ? FileError() : FileError::of(FileError::Kind::PathNotFound);
}
