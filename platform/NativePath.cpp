#include "NativePath.h"

#include <QCoreApplication>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace
{

constexpr char16_t kFirstByte = 0xDC80, kLastByte = 0xDCFF;

bool isKeptByte(QStringView s, qsizetype i)
{
    const char16_t u = s[i].unicode();
    return u >= kFirstByte && u <= kLastByte && !(i > 0 && s[i - 1].isHighSurrogate());
}

qsizetype sequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

} // namespace

QString NativePath::fromNative(QByteArrayView bytes)
{
    if (bytes.isValidUtf8())
        return QString::fromUtf8(bytes);
    QString out;
    for (qsizetype i = 0; i < bytes.size();) {
        const qsizetype len = sequenceLength(static_cast<unsigned char>(bytes[i]));
        if (len > 0 && i + len <= bytes.size() && bytes.sliced(i, len).isValidUtf8()) {
            out += QString::fromUtf8(bytes.sliced(i, len));
            i += len;
        } else {
            out += QChar(char16_t(0xDC00 + static_cast<unsigned char>(bytes[i])));
            ++i;
        }
    }
    return out;
}

QByteArray NativePath::toNative(QStringView path)
{
    QByteArray out;
    qsizetype run = 0; // start of the text not yet converted
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (!isKeptByte(path, i))
            continue;
        out += path.sliced(run, i - run).toUtf8();
        out += char(path[i].unicode() - 0xDC00);
        run = i + 1;
    }
    return out + path.sliced(run).toUtf8();
}

QString NativePath::display(QStringView text)
{
    QString out = text.toString();
    for (qsizetype i = 0; i < out.size(); ++i)
        if (isKeptByte(out, i))
            out[i] = QChar::ReplacementCharacter;
    return out;
}

QString NativePath::absolute(const QString &path)
{
    if (path.isEmpty() || path.startsWith(QLatin1Char('/')))
        return path;
    const std::unique_ptr<char, decltype(&std::free)> cwd(::getcwd(nullptr, 0), &std::free);
    if (!cwd)
        return path;
    QString folder = fromNative(cwd.get());
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder + path;
}

QString NativePath::canonical(const QString &path)
{
    if (path.isEmpty())
        return {};
    char real[PATH_MAX];
    return ::realpath(toNative(path).constData(), real) ? fromNative(real) : QString();
}

bool NativePath::isFile(const QString &path)
{
    struct stat st = {};
    return !path.isEmpty() && ::stat(toNative(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

QUrl NativePath::fileUrl(const QString &path)
{
    QUrl url;
    url.setScheme(QStringLiteral("file"));
    url.setPath(QString::fromLatin1(toNative(path).toPercentEncoding("/")), QUrl::TolerantMode);
    return url;
}

QString NativePath::localFile(const QUrl &url)
{
    if (!url.isLocalFile())
        return {};
    return fromNative(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
}

QString NativePath::programFolder()
{
    QByteArray exe(4096, Qt::Uninitialized);
    const ssize_t n = ::readlink("/proc/self/exe", exe.data(), size_t(exe.size()));
    if (n <= 0 || n >= exe.size())
        return QCoreApplication::applicationDirPath();
    exe.truncate(n);
    const qsizetype slash = exe.lastIndexOf('/');
    return slash <= 0 ? QStringLiteral("/") : fromNative(exe.first(slash));
}

bool NativePath::startDetached(const QString &program, const QList<QString> &arguments)
{
    QList<QByteArray> bytes{toNative(program)};
    for (const QString &a : arguments)
        bytes << toNative(a);
    std::vector<char *> argv;
    for (QByteArray &b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    // The child may outlive this program; until then a thread of its own
    // collects it, so that no zombie is left behind.
    std::thread([pid] {
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}
