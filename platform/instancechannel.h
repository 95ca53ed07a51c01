#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QLocalServer>
#include <QObject>
#include <QString>

class QLocalSocket;

// The local socket over which a second start hands its arguments to the running instance.
// Protocol: the sender connects, writes one line per request (UTF-8, ended by "\n") and
// disconnects. The socket sits in the user's runtime directory with owner-only access;
// only the holder of the instance lock listens on it.
class InstanceChannelServer : public QObject {
    Q_OBJECT
public:
    // Longest line and most bytes taken from one connection; anything beyond is dropped.
    static constexpr qsizetype kMaxLineBytes = 16 * 1024;
    static constexpr qsizetype kMaxConnectionBytes = 64 * 1024;
    // A connection that sends nothing for this long is closed.
    static constexpr int kIdleTimeoutMs = 5000;

    explicit InstanceChannelServer(const QString& name, QObject* parent = nullptr);

    // Starts listening. A socket file left by a run that crashed is removed first, which
    // is safe because the caller holds the instance lock.
    [[nodiscard]] bool listen();
    [[nodiscard]] QString errorString() const { return server.errorString(); }

Q_SIGNALS:
    // Complete lines as they arrive, empty lines left out.
    void linesReceived(const QList<QByteArray>& lines);

private:
    void acceptConnections();
    void readLines(QLocalSocket* socket);

    QString socketName;
    // Bytes taken from each open connection. Declared before the server, whose sockets
    // remove themselves from it as they go.
    QHash<QLocalSocket*, qsizetype> takenBytes;
    QLocalServer server;
};

// The channel's socket for a program directory: one per user (the runtime directory is
// the user's own) and per program directory, as the instance lock is.
[[nodiscard]] QString instanceChannelName(const QString& programDir);

// Sends the lines to the instance listening on name, retrying while it is still starting;
// false when no instance took them within timeoutMs. Blocks the calling thread: meant for
// a second start that ends right after.
[[nodiscard]] bool sendToRunningInstance(const QString& name, const QList<QByteArray>& lines,
                                         int timeoutMs);
