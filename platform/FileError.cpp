#include "FileError.h"

#include <cerrno>
#include <cstring>

FileError FileError::fromErrno(int err)
{
    FileError e;
    switch (err) {
    case 0:
        e.kind = Kind::None;
        break;
    case ENOENT:
        e.kind = Kind::NotFound;
        break;
    case ENOTDIR:
        e.kind = Kind::PathNotFound;
        break;
    case EACCES:
    case EPERM:
    case EROFS:
        e.kind = Kind::AccessDenied;
        break;
    case EISDIR:
        e.kind = Kind::IsFolder;
        break;
    case ENXIO: // a socket, or a device with nothing behind it
        e.kind = Kind::NotRegular;
        break;
    case ENOMEM:
        e.kind = Kind::OutOfMemory;
        break;
    case ENOSPC:
    case EDQUOT:
        e.kind = Kind::NoSpace;
        break;
    default:
        e.kind = Kind::IoError;
        e.detail = QString::fromLocal8Bit(std::strerror(err));
        break;
    }
    return e;
}

QString FileError::description() const
{
    switch (kind) {
    case Kind::None:
        return QString();
    case Kind::NotFound:
        return QStringLiteral("ファイルが見つかりません");
    case Kind::PathNotFound:
        return QStringLiteral("パスが見つかりません");
    case Kind::InUse:
        return QStringLiteral("ほかのプログラムがファイルを使っています");
    case Kind::AccessDenied:
        return QStringLiteral("アクセスが拒否されました");
    case Kind::IsFolder:
        return QStringLiteral("ファイルではなくフォルダーです");
    case Kind::NotRegular:
        return QStringLiteral("通常のファイルではありません");
    case Kind::BadBytes:
        return QStringLiteral("%1行目に文字コードとして正しくないバイト列があります（%2）")
            .arg(line)
            .arg(QString::fromLatin1(bytes.toHex(' ').toUpper()));
    case Kind::PastEnd:
        return QStringLiteral("ファイルの終わりを越えて読もうとしました");
    case Kind::NoSpace:
        return QStringLiteral("ディスクの空き領域が足りません");
    case Kind::NotOpen:
        return QStringLiteral("ファイルが開かれていません");
    case Kind::OutOfMemory:
        return QStringLiteral("メモリが足りません");
    case Kind::IoError:
        if (detail.isEmpty())
            return QStringLiteral("読み書き中にエラーが発生しました");
        return QStringLiteral("読み書き中にエラーが発生しました（%1）").arg(detail);
    }
    return QString();
}
