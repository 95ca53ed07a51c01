#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QLocalServer>
#include <QObject>
#include <QString>
#include <QtGlobal>

class QLocalSocket;

// The local socket over which a second start hands its arguments to the running instance.
// Protocol: the sender connects, writes one line per request (UTF-8, ended by "\n") and
// disconnects. The socket sits in a folder of the user's alone, with owner-only access;
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

// Where the channel's socket lives, or why there is none.
struct InstanceChannelPlace {
    QString name;
    QString why;
};

// The channel's socket for a program directory: one per user and per program directory, as
// the instance lock is. It goes into the first of runtimeDir and dataDir that is a folder of
// uid's alone (isPrivateFolder) with room for a socket's path; never into a folder others
// share, where one of them could listen in the program's place. No name, and why, when
// neither will do.
[[nodiscard]] InstanceChannelPlace instanceChannelPlace(const QString& programDir,
                                                        const QString& runtimeDir,
                                                        const QString& dataDir, uint uid);
// The same for the running program: the user's runtime folder, else the per-user data
// folder (made private first).
[[nodiscard]] InstanceChannelPlace instanceChannelPlace(const QString& programDir);

enum class HandOverOutcome {
    Delivered,
    // Nobody took the lines within the time.
    NoAnswer,
    // The listener runs as another user: nothing was sent.
    ForeignListener,
};

// Sends the lines to the instance listening on name, retrying while it is still starting,
// once the listener is known to run as listenerUid. Blocks the calling thread: meant for a
// second start that ends right after.
[[nodiscard]] HandOverOutcome sendToRunningInstance(const QString& name,
                                                    const QList<QByteArray>& lines, int timeoutMs,
                                                    uint listenerUid);
