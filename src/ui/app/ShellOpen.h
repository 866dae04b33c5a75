#pragma once

#include <QObject>
#include <QQueue>
#include <QString>

class QLocalServer;

// Shell open requests: a second start of the editor with a file hands the file to the editor
// that already runs and ends. The running editor listens on a local socket named per user.

// The server name for this user and display, or the one in ORVEX_INSTANCE_NAME when set.
QString ShellServerName();

// Hands `path` (made absolute) to the running editor; false when none answers.
bool SendShellOpen(const QString& serverName, const QString& path, int timeoutMs = 2000);

class ShellOpenServer : public QObject {
    Q_OBJECT

public:
    explicit ShellOpenServer(const QString& serverName);
    ~ShellOpenServer() override;
    bool IsListening() const;

signals:
    void OpenRequested(const QString& path);

private:
    void OnConnection();
    void ScheduleNext();
    void OpenNext();

    QLocalServer* m_server;
    QQueue<QString> m_pending;  // files asked for and not yet opened
    bool m_scheduled = false;
};
