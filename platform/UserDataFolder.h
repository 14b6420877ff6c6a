#pragma once

#include "FileError.h"

#include <QString>

// The user's own folder for what the program folder cannot take, as the XDG
// base directories place it: $XDG_DATA_HOME/lyrmak, by default
// ~/.local/share/lyrmak. An installed program folder is read-only.
namespace UserDataFolder
{
// From the given environment values; XDG_DATA_HOME counts only as an absolute
// path. Empty when there is no home either.
QString location(const QString &xdgDataHome, const QString &home);
// From this process's environment (the password database when HOME is unset).
QString location();
// Makes `path` and every missing folder above it, each with mode 0700 so that
// nobody else reads what the user keeps there.
FileError make(const QString &path);
} // namespace UserDataFolder
