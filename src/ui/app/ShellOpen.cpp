#include "ui/app/ShellOpen.h"

#include <unistd.h>

#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

QString ShellServerName() {
    const QString name = qEnvironmentVariable("ORVEX_INSTANCE_NAME");
    if (!name.isEmpty())
        return name;
    return QStringLiteral("orvex-shell-open-%1").arg(getuid());
}

bool SendShellOpen(const QString& serverName, const QString& path, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    const QByteArray line = QFileInfo(path).absoluteFilePath().toUtf8() + '\n';
    socket.write(line);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMs);
    return true;
}

ShellOpenServer::ShellOpenServer(const QString& serverName) : m_server(new QLocalServer(this)) {
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(serverName)) {
        // A socket left behind by an editor that ended abnormally is taken over.
        QLocalServer::removeServer(serverName);
        m_server->listen(serverName);
    }
    connect(m_server, &QLocalServer::newConnection, this, &ShellOpenServer::OnConnection);
}

ShellOpenServer::~ShellOpenServer() {
    m_server->close();
}

bool ShellOpenServer::IsListening() const {
    return m_server->isListening();
}

void ShellOpenServer::OnConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // Each line is one file name; it is opened when the line is complete.
        connect(socket, &QLocalSocket::readyRead, this, [this, socket]() {
            while (socket->canReadLine()) {
                const QString path = QString::fromUtf8(socket->readLine()).trimmed();
                if (!path.isEmpty())
                    emit OpenRequested(path);
            }
        });
    }
}
