#include "platform/instancechannel.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include "platform/paths.h"

namespace {

constexpr int kRetryDelayMs = 100;

}  // namespace

InstanceChannelServer::InstanceChannelServer(const QString& name, QObject* parent)
    : QObject(parent), socketName(name) {
    server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server, &QLocalServer::newConnection, this, &InstanceChannelServer::acceptConnections);
}

bool InstanceChannelServer::listen() {
    QLocalServer::removeServer(socketName);
    return server.listen(socketName);
}

void InstanceChannelServer::acceptConnections() {
    while (QLocalSocket* socket = server.nextPendingConnection()) {
        takenBytes.insert(socket, 0);
        connect(socket, &QObject::destroyed, this, [this, socket] { takenBytes.remove(socket); });
        // A sender that stalls is cut off; the timer goes with the socket.
        auto* idle = new QTimer(socket);
        idle->setSingleShot(true);
        idle->setInterval(kIdleTimeoutMs);
        connect(idle, &QTimer::timeout, socket, &QLocalSocket::abort);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, idle] {
            idle->start();
            readLines(socket);
        });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        idle->start();
        readLines(socket);
    }
}

void InstanceChannelServer::readLines(QLocalSocket* socket) {
    QList<QByteArray> lines;
    qsizetype taken = takenBytes.value(socket);
    while (socket->canReadLine() && taken < kMaxConnectionBytes) {
        QByteArray line = socket->readLine(kMaxLineBytes + 1);
        taken += line.size();
        if (!line.endsWith('\n')) {
            // Longer than any request: the connection is not one of ours.
            socket->abort();
            break;
        }
        line.chop(1);
        if (!line.isEmpty()) {
            lines.append(line);
        }
    }
    takenBytes.insert(socket, taken);
    if (taken >= kMaxConnectionBytes || socket->bytesAvailable() > kMaxLineBytes) {
        socket->abort();
    }
    if (!lines.isEmpty()) {
        Q_EMIT linesReceived(lines);
    }
}

QString instanceChannelName(const QString& programDir) {
    const QByteArray digest =
        QCryptographicHash::hash(programDir.toUtf8(), QCryptographicHash::Sha1).toHex();
    const QString runtimeDir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return joinPath(runtimeDir, QStringLiteral("quorvane3-") + QLatin1String(digest.left(16)) +
                                    QStringLiteral(".socket"));
}

bool sendToRunningInstance(const QString& name, const QList<QByteArray>& lines, int timeoutMs) {
    QByteArray payload;
    for (const QByteArray& line : lines) {
        payload += line + '\n';
    }
    const QDeadlineTimer deadline(timeoutMs);
    while (true) {
        QLocalSocket socket;
        socket.connectToServer(name);
        if (socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) {
            socket.write(payload);
            while (socket.bytesToWrite() > 0 &&
                   socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) {
            }
            const bool written = socket.bytesToWrite() == 0;
            socket.disconnectFromServer();
            if (socket.state() != QLocalSocket::UnconnectedState) {
                (void)socket.waitForDisconnected(static_cast<int>(deadline.remainingTime()));
            }
            return written;
        }
        // The running instance holds the lock but may not listen yet.
        if (deadline.remainingTime() < kRetryDelayMs) {
            return false;
        }
        QThread::msleep(kRetryDelayMs);
    }
}
