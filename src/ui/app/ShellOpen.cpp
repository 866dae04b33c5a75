#include "ui/app/ShellOpen.h"

#include <unistd.h>

#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>

QString ShellServerName() {
    const QString name = qEnvironmentVariable("ORVEX_INSTANCE_NAME");
    if (!name.isEmpty())
        return name;
    // Per user and per display, so that a file opened on one display never lands in an editor
    // that runs on another.
    QString display = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (display.isEmpty())
        display = qEnvironmentVariable("DISPLAY");
    if (display.isEmpty())
        display = qEnvironmentVariable("XDG_SESSION_ID");
    display.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_.-]")), QStringLiteral("_"));
    return QStringLiteral("orvex-shell-open-%1-%2").arg(getuid()).arg(display);
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
        // Each line is one file name. The socket's handler only reads: opening a file may show a
        // message box whose event loop frees the socket, so files are opened afterwards, from
        // the queue, one at a time.
        connect(socket, &QLocalSocket::readyRead, this, [this, socket]() {
            while (socket->canReadLine()) {
                const QString path = QString::fromUtf8(socket->readLine()).trimmed();
                if (!path.isEmpty())
                    m_pending.enqueue(path);
            }
            ScheduleNext();
        });
    }
}

void ShellOpenServer::ScheduleNext() {
    if (m_scheduled || m_pending.isEmpty())
        return;
    m_scheduled = true;
    QMetaObject::invokeMethod(this, &ShellOpenServer::OpenNext, Qt::QueuedConnection);
}

void ShellOpenServer::OpenNext() {
    m_scheduled = false;
    if (m_pending.isEmpty())
        return;
    const QString path = m_pending.dequeue();
    // The next file is scheduled only once this one is open (or refused), so a message box
    // about one file never has the next one opened beneath it.
    emit OpenRequested(path);
    ScheduleNext();
}
