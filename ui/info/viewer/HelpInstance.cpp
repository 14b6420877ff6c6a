#include "HelpInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace
{

constexpr int WaitMs = 1000;

// A socket in the user's own runtime folder, named after the file, so each
// user and each help file has a viewer of its own.
QString serverName(const QString &helpFile)
{
    const QFileInfo info(helpFile);
    const QString canonical = info.canonicalFilePath();
    const QString key = canonical.isEmpty() ? info.absoluteFilePath() : canonical;
    const QByteArray hash =
        QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + QStringLiteral("/lyrmak-help-") + QString::fromLatin1(hash);
}

} // namespace

HelpInstance::HelpInstance(const QString &helpFile, QObject *parent)
    : QObject(parent), m_name(serverName(helpFile))
{
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
    // Nobody answered at this name, so a socket file left there is stale.
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
