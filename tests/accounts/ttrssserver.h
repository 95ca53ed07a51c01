#pragma once

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QString>
#include <gtest/gtest.h>

// The Tiny Tiny RSS server that scripts/ttrss-server brings up for the tests, as its
// server.env names it: TTRSS_URL, TTRSS_USER, TTRSS_PASSWORD and the database's socket, port,
// user and name.
using TtrssServer = QHash<QByteArray, QString>;

// Reads server.env into server; false with why there is none (the test then skips).
[[nodiscard]] inline bool readTtrssServer(TtrssServer& server, QByteArray& whyNot) {
    QFile env(QStringLiteral(QV_TTRSS_DIR "/server.env"));
    if (!env.open(QIODevice::ReadOnly)) {
        QFile why(QStringLiteral(QV_TTRSS_SKIPPED));
        whyNot = why.open(QIODevice::ReadOnly) ? why.readAll().trimmed()
                                               : QByteArray("run it through ctest");
        return false;
    }
    for (const QByteArray& line : env.readAll().split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0) {
            server.insert(line.left(equals), QString::fromUtf8(line.mid(equals + 1)));
        }
    }
    return true;
}

// Runs SQL on the server's database; its output, one row a line, fields by "|".
inline QString ttrssSql(const TtrssServer& server, const QString& statements) {
    QProcess psql;
    psql.start(QStringLiteral("psql"),
               {QStringLiteral("-h"), server.value("TTRSS_DB_SOCKET"), QStringLiteral("-p"),
                server.value("TTRSS_DB_PORT"), QStringLiteral("-U"), server.value("TTRSS_DB_USER"),
                QStringLiteral("-d"), server.value("TTRSS_DB_NAME"), QStringLiteral("-qtA"),
                QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-c"),
                statements});
    EXPECT_TRUE(psql.waitForFinished(30000));
    EXPECT_EQ(psql.exitCode(), 0) << psql.readAllStandardError().constData();
    return QString::fromUtf8(psql.readAllStandardOutput()).trimmed();
}

// Starts a case from an account without articles, feeds, folders or sessions.
inline void emptyTtrssAccount(const TtrssServer& server) {
    ttrssSql(server, QStringLiteral("TRUNCATE ttrss_entries CASCADE;"
                                    "DELETE FROM ttrss_feeds; DELETE FROM ttrss_feed_categories;"
                                    "DELETE FROM ttrss_sessions;"));
}

// Skips the case when there is no server; else fills server.
#define QV_NEED_TTRSS_SERVER(server)                                           \
    do {                                                                       \
        QByteArray whyNot;                                                     \
        if (!readTtrssServer(server, whyNot)) {                                \
            GTEST_SKIP() << "no Tiny Tiny RSS server: " << whyNot.constData(); \
        }                                                                      \
    } while (false)
