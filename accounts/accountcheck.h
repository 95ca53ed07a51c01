#pragma once

#include <QCoreApplication>
#include <QObject>
#include <QString>
#include <memory>

#include "accounts/accountclient.h"
#include "accounts/accountsettings.h"
#include "platform/net/fetchoptions.h"

class HttpClient;
class WorkerPool;

// What is wrong with an account's address as the user typed it, in a sentence; empty when
// it is an http or https address of a host.
[[nodiscard]] QString accountUrlProblem(const QString& url);
// Whether a log-in to url would send the password unencrypted over a network: http to a
// host other than this machine's loopback.
[[nodiscard]] bool sendsPasswordInClear(const QString& url);
// Feeds in a tree, its folders' included.
[[nodiscard]] int countFeeds(const AccountFolder& folder);

// A check of an account's settings: logs in, then reads the feeds, and says in a sentence
// what the server answered (its API level and number of feeds) or what failed. One check at
// a time; a new one, cancel() or the check's end ends the one before, whose answer never
// comes. All network work is the client's, off the caller's thread.
class AccountCheck : public QObject {
    Q_OBJECT
public:
    struct Outcome {
        bool ok = false;
        QString apiLevel;
        int feeds = 0;
        AccountError error;
        // For the user: the level and the count, or what failed and why.
        QString text;
    };

    AccountCheck(HttpClient& http, WorkerPool& workers, const FetchOptions& options,
                 QObject* parent = nullptr);
    ~AccountCheck() override;

    // False (and nothing started) for a type no protocol answers to.
    bool start(const AccountSettings& account, const QString& password);
    void cancel();
    [[nodiscard]] bool running() const { return client != nullptr; }

Q_SIGNALS:
    void finished(const AccountCheck::Outcome& outcome);

private:
    void end(Outcome outcome);

    HttpClient& http;
    WorkerPool& workers;
    FetchOptions options;
    std::unique_ptr<AccountClient> client;
};
