#include "accounts/accountcheck.h"

#include <QHostAddress>
#include <QUrl>
#include <utility>

#include "accounts/accountclients.h"

QString accountUrlProblem(const QString& text) {
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (text.trimmed().isEmpty()) {
        return AccountCheck::tr("URL を入力してください");
    }
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        return AccountCheck::tr(
            "URL は http:// か https:// で始まるサーバーのアドレスにしてください");
    }
    if (!url.userInfo().isEmpty()) {
        return AccountCheck::tr(
            "ユーザー名とパスワードは URL ではなくそれぞれの欄に入力してください");
    }
    return {};
}

bool sendsPasswordInClear(const QString& text) {
    const QUrl url(text.trimmed());
    if (url.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) != 0) {
        return false;
    }
    const QString host = url.host().toLower();
    if (host == QLatin1String("localhost")) {
        return false;
    }
    const QHostAddress address(host);
    return address.isNull() || !address.isLoopback();
}

int countFeeds(const AccountFolder& folder) {
    int count = int(folder.feeds.size());
    for (const AccountFolder& child : folder.folders) {
        count += countFeeds(child);
    }
    return count;
}

AccountCheck::AccountCheck(HttpClient& httpClient, WorkerPool& pool,
                           const FetchOptions& fetchOptions, QObject* parent)
    : QObject(parent), http(httpClient), workers(pool), options(fetchOptions) {}

AccountCheck::~AccountCheck() = default;

bool AccountCheck::start(const AccountSettings& account, const QString& password) {
    cancel();
    client = makeAccountClient(account.type, {account.url, account.user, password}, http, workers,
                               options);
    if (!client) {
        return false;
    }
    AccountClient* asking = client.get();
    asking->logIn([this, asking](const AccountLogin& login, const AccountError& error) {
        if (!error.ok()) {
            Outcome outcome;
            outcome.error = error;
            end(outcome);
            return;
        }
        const QString level = login.apiLevel;
        asking->fetchTree([this, level](const AccountFolder& tree, const AccountError& failure) {
            Outcome outcome;
            outcome.apiLevel = level;
            outcome.error = failure;
            outcome.ok = failure.ok();
            outcome.feeds = outcome.ok ? countFeeds(tree) : 0;
            end(outcome);
        });
    });
    return true;
}

void AccountCheck::cancel() {
    if (client) {
        client->cancelAll();
        // Later, not now: this may run inside one of the client's own replies. Until then it
        // is the check's, and goes with it.
        client->setParent(this);
        client.release()->deleteLater();
    }
}

void AccountCheck::end(Outcome outcome) {
    outcome.text = outcome.ok ? tr("接続できました。API レベル %1、フィード %2 件")
                                    .arg(outcome.apiLevel)
                                    .arg(outcome.feeds)
                              : tr("接続できません: %1").arg(outcome.error.message);
    cancel();
    Q_EMIT finished(outcome);
}
