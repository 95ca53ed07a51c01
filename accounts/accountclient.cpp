#include "accounts/accountclient.h"

#include <QCoreApplication>

QString AccountSubscription::describe() const {
    switch (outcome) {
        case Outcome::Subscribed:
            return tr("購読しました");
        case Outcome::AlreadySubscribed:
            return tr("すでに購読しています");
        case Outcome::InvalidUrl:
            return tr("URL が正しくありません");
        case Outcome::NoFeedThere:
            return tr("その URL にフィードが見つかりません");
        case Outcome::SeveralFeeds:
            return tr("その URL には複数のフィードがあります: %1")
                .arg(candidates.join(QLatin1String(", ")));
        case Outcome::NotDownloaded:
            return tr("サーバーがフィードを取得できませんでした: %1").arg(serverMessage);
    }
    return {};
}
