#pragma once

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

#include "accounts/ttrss/ttrssclient.h"
#include "platform/net/httpclient.h"
#include "platform/system/workerpool.h"
#include "tests/accounts/ttrssserver.h"

// Failure messages name texts as they are.
inline std::ostream& operator<<(std::ostream& out, const QString& text) {
    return out << text.toStdString();
}

// Against the Tiny Tiny RSS server that scripts/ttrss-server brings up for the tests: each
// case starts from an account without feeds, folders or articles.

// What a reply brought, for a test to wait on.
template <typename T>
struct Got {
    bool done = false;
    T value{};
    AccountError error;

    AccountClient::Reply<T> reply() {
        return [this](const T& result, const AccountError& failure) {
            done = true;
            value = result;
            error = failure;
        };
    }
    [[nodiscard]] bool wait() {
        return QTest::qWaitFor([this] { return done; }, 120000);
    }
};

inline QByteArray rssFeed(int from, int to) {
    QByteArray items;
    // One date for all: the server's own order then has nothing to tell them apart.
    for (int i = from; i < to; ++i) {
        items += "<item><title>Item " + QByteArray::number(i) +
                 "</title><link>http://example.com/" + QByteArray::number(i) +
                 "</link><guid>item-" + QByteArray::number(i) +
                 "</guid><pubDate>Tue, 08 Dec 2026 10:00:00 GMT</pubDate></item>";
    }
    return "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>Big</title>"
           "<link>http://example.com/</link>" +
           items + "</channel></rss>";
}

class TtrssTest : public ::testing::Test {
protected:
    void SetUp() override {
        QV_NEED_TTRSS_SERVER(settings);
        connection.url = settings.value("TTRSS_URL");
        connection.user = settings.value("TTRSS_USER");
        connection.password = settings.value("TTRSS_PASSWORD");
        ASSERT_FALSE(connection.url.isEmpty());
        emptyTtrssAccount(settings);
        sql(QStringLiteral(
            "UPDATE ttrss_user_prefs SET value = 'true' WHERE pref_name = 'ENABLE_API_ACCESS';"));
        options.connectTimeoutMs = 5000;
        options.totalTimeoutMs = 120000;
    }

    std::unique_ptr<TtrssClient> makeClient(const AccountConnection& to) {
        return std::make_unique<TtrssClient>(to, http, workers, options);
    }

    // Runs SQL on the server's database; its output, one row a line, fields by "|".
    QString sql(const QString& statements) { return ttrssSql(settings, statements); }

    // One request of the API from elsewhere (a session of its own), blocking.
    QJsonObject elsewhere(QJsonObject request) {
        const auto post = [this](const QJsonObject& body) {
            HttpRequest sent;
            sent.url = connection.url + QStringLiteral("api/");
            sent.post = true;
            sent.body = QJsonDocument(body).toJson(QJsonDocument::Compact);
            sent.options = options;
            const HttpFetchResult result = httpGet(sent);
            EXPECT_TRUE(result.ok) << result.error;
            return QJsonDocument::fromJson(result.body).object();
        };
        if (otherSession.isEmpty()) {
            otherSession =
                post(
                    {{"op", "login"}, {"user", connection.user}, {"password", connection.password}})
                    .value("content")
                    .toObject()
                    .value("session_id")
                    .toString();
        }
        request.insert("sid", otherSession);
        return post(request);
    }

    QHash<QByteArray, QString> settings;
    AccountConnection connection;
    FetchOptions options;
    HttpClient http;
    WorkerPool workers{1};
    QString otherSession;
};
