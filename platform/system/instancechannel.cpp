#include "platform/system/instancechannel.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <optional>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/files/paths.h"

namespace {

constexpr int kRetryDelayMs = 100;
// A Unix socket's path, its terminating zero included, fits in sockaddr_un::sun_path.
constexpr qsizetype kMaxSocketPathBytes = sizeof(sockaddr_un::sun_path);

// The user id of the process at the other end of a connected local socket.
std::optional<uint> peerUserId(qintptr descriptor) {
#ifdef SO_PEERCRED
    struct ucred credentials {};
    socklen_t size = sizeof credentials;
    if (::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0) {
        return std::nullopt;
    }
    return uint(credentials.uid);
#else
    uid_t uid = 0;
    gid_t gid = 0;
    if (::getpeereid(int(descriptor), &uid, &gid) != 0) {
        return std::nullopt;
    }
    return uint(uid);
#endif
}

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

InstanceChannelPlace instanceChannelPlace(const QString& programDir, const QString& runtimeDir,
                                          const QString& dataDir, uint uid) {
    const QByteArray digest =
        QCryptographicHash::hash(programDir.toUtf8(), QCryptographicHash::Sha1).toHex();
    const QString file =
        QStringLiteral("quorvane3-") + QLatin1String(digest.left(16)) + QStringLiteral(".socket");
    InstanceChannelPlace place;
    QStringList refused;
    for (const QString& dir : {runtimeDir, dataDir}) {
        if (dir.isEmpty()) {
            continue;
        }
        const QString name = joinPath(dir, file);
        if (QDir::isRelativePath(dir) || !isPrivateFolder(dir, uid)) {
            refused << QStringLiteral("%1 is not a folder of the user's alone").arg(dir);
        } else if (QFile::encodeName(name).size() >= kMaxSocketPathBytes) {
            refused << QStringLiteral("%1 is too long a path for a socket").arg(name);
        } else {
            place.name = name;
            return place;
        }
    }
    place.why = refused.isEmpty() ? QStringLiteral("neither a runtime nor a data folder")
                                  : refused.join(QStringLiteral("; "));
    return place;
}

InstanceChannelPlace instanceChannelPlace(const QString& programDir) {
    // Qt gives no runtime folder when the one it would use is not the user's alone.
    const QString runtimeDir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    QString dataDir;
    if (!isPrivateFolder(runtimeDir, currentUserId())) {
        dataDir = perUserDataDir();
        makePrivateFolder(dataDir);
    }
    return instanceChannelPlace(programDir, runtimeDir, dataDir, currentUserId());
}

HandOverOutcome sendToRunningInstance(const QString& name, const QList<QByteArray>& lines,
                                      int timeoutMs, uint listenerUid) {
    QByteArray payload;
    for (const QByteArray& line : lines) {
        payload += line + '\n';
    }
    const QDeadlineTimer deadline(timeoutMs);
    while (true) {
        QLocalSocket socket;
        socket.connectToServer(name);
        if (socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) {
            // The URLs may carry private tokens: they go to our own instance only.
            if (peerUserId(socket.socketDescriptor()) != listenerUid) {
                socket.abort();
                return HandOverOutcome::ForeignListener;
            }
            socket.write(payload);
            while (socket.bytesToWrite() > 0 &&
                   socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) {
            }
            const bool written = socket.bytesToWrite() == 0;
            socket.disconnectFromServer();
            if (socket.state() != QLocalSocket::UnconnectedState) {
                (void)socket.waitForDisconnected(static_cast<int>(deadline.remainingTime()));
            }
            return written ? HandOverOutcome::Delivered : HandOverOutcome::NoAnswer;
        }
        // The running instance holds the lock but may not listen yet.
        if (deadline.remainingTime() < kRetryDelayMs) {
            return HandOverOutcome::NoAnswer;
        }
        QThread::msleep(kRetryDelayMs);
    }
}
