#include "HelpInstance.h"

#include "NativePath.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

namespace
{

constexpr int WaitMs = 1000;
// How long a start waits for the viewer holding the lock to listen: it
// listens right after taking the lock, before it reads anything.
constexpr int ListenWaitMs = 5000;
constexpr int RetryMs = 50;

// A socket in the user's own runtime folder, named after the file, so each
// user and each help file has a viewer of its own.
QString serverName(const QString &helpFile)
{
    const QString canonical = NativePath::canonical(helpFile);
    const QString key = canonical.isEmpty() ? NativePath::absolute(helpFile) : canonical;
    const QByteArray hash =
        QCryptographicHash::hash(NativePath::toNative(key), QCryptographicHash::Sha256)
            .toHex()
            .left(16);
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + QStringLiteral("/lyrmak-help-") + QString::fromLatin1(hash);
}

} // namespace

HelpInstance::HelpInstance(const QString &helpFile, QObject *parent)
    : QObject(parent), m_name(serverName(helpFile)),
      m_lock(std::make_unique<QLockFile>(m_name + QStringLiteral(".lock")))
{
    // Held for the viewer's whole life: only a dead holder makes it stale.
    m_lock->setStaleLockTime(0);
}

HelpInstance::~HelpInstance() = default;

HelpInstance::Role HelpInstance::claim()
{
    for (int waited = 0;; waited += RetryMs) {
        if (m_lock->tryLock(0)) {
            listen();
            return Role::Viewer;
        }
        // No lock can be made here at all: one viewer per file as far as
        // the socket alone can tell.
        if (m_lock->error() != QLockFile::LockFailedError) {
            if (handOver())
                return Role::Elsewhere;
            listen();
            return Role::Viewer;
        }
        // A busy viewer still takes the connection; it reads the request
        // when it gets to it.
        if (handOver())
            return Role::Elsewhere;
        // The holder lives but does not listen (stopped, or just started):
        // it remains the file's one viewer.
        if (waited >= ListenWaitMs)
            return Role::Elsewhere;
        QThread::msleep(RetryMs);
    }
}

bool HelpInstance::handOver()
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(WaitMs))
        return false;
    socket.write("contents\n");
    socket.waitForBytesWritten(WaitMs);
    socket.disconnectFromServer();
    return true;
}

void HelpInstance::listen()
{
    if (m_server)
        return;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // Whoever holds the role may listen; a socket file left by a viewer that
    // died is stale.
    if (!m_server->listen(m_name)) {
        QLocalServer::removeServer(m_name);
        m_server->listen(m_name);
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            emit contentsRequested();
        }
    });
}
