#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>
#include <QUrl>

// Paths are bytes on Linux, and need not be UTF-8. Inside the program a path
// is a QString in which each byte that is not part of valid UTF-8 stands as
// a lone surrogate U+DC80 to U+DCFF, so that every path the file system
// allows reaches the system again byte for byte. (Qt's own conversion puts
// U+FFFD there and loses the byte.)
namespace NativePath
{

QString fromNative(QByteArrayView bytes);
QByteArray toNative(QStringView path);
// For what a user reads: each such byte shows as U+FFFD, as file managers
// show it.
QString display(QStringView text);

// `path` made absolute against the working folder, without touching the
// file system otherwise.
QString absolute(const QString &path);
// `path` with every link and "." or ".." resolved; empty when it does not
// exist.
QString canonical(const QString &path);
// Whether `path` is a regular file, links followed.
bool isFile(const QString &path);

// A file: URL for `path`, the bytes of the name percent-encoded, and back.
// (QUrl::fromLocalFile and toLocalFile go through UTF-8 and lose the rest.)
QUrl fileUrl(const QString &path);
QString localFile(const QUrl &url);

// The folder of the running executable, from /proc/self/exe.
QString programFolder();

// Starts `program` with `arguments`, given as bytes, without a shell and
// without waiting for it; false when it could not be started.
bool startDetached(const QString &program, const QList<QString> &arguments);

} // namespace NativePath
