#include "accounts/ttrss/ttrssanswers.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QSet>
#include <QUrl>
#include <cmath>

#include "formats/feedtext.h"

namespace ttrss {

namespace {

// The texts a user sees of this protocol.
struct TtrssText {
    Q_DECLARE_TR_FUNCTIONS(TtrssText)
};

// Ids are whole numbers; JSON may carry them as numbers or as digits in a string.
// Returns 0 for anything else, and for numbers past what a double holds exactly.
qint64 wholeNumber(const QJsonValue& value) {
    if (value.isDouble()) {
        const double number = value.toDouble();
        constexpr double kExact = 9007199254740992.0;  // 2^53
        if (std::isfinite(number) && number == std::floor(number) && std::fabs(number) < kExact) {
            return qint64(number);
        }
        return 0;
    }
    if (value.isString()) {
        const QString text = value.toString();
        if (text.size() > 18) {
            return 0;
        }
        bool ok = false;
        const qint64 number = text.toLongLong(&ok);
        return ok ? number : 0;
    }
    return 0;
}

// A positive id as text; empty when the value is none.
QString positiveId(const QJsonValue& value) {
    const qint64 number = wholeNumber(value);
    return number > 0 ? QString::number(number) : QString();
}

QString text(const QJsonValue& value) {
    return value.isString() ? value.toString() : QString();
}

// An http(s) URL of a sensible length, or empty.
QString webUrl(const QJsonValue& value) {
    const QString given = trimFeedText(text(value));
    if (given.isEmpty() || given.size() > kMaxUrlLength) {
        return {};
    }
    const QUrl url(given, QUrl::TolerantMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        return {};
    }
    return given;
}

QString reasonOf(const HttpFetchResult& result) {
    return result.error.isEmpty() ? TtrssText::tr("理由は不明です") : result.error;
}

struct TreeReader {
    const QHash<QString, AccountFeed>& feeds;
    QSet<QString> placed;
    int entries = 0;

    // Reads the items of one category into folder.
    void readItems(const QJsonArray& items, AccountFolder& folder, int depth) {
        for (const QJsonValue& item : items) {
            if (!item.isObject() || ++entries > kMaxEntries) {
                continue;
            }
            const QJsonObject object = item.toObject();
            // "CAT:12" or "FEED:34"; the tree's feed entries do not always say their type.
            const QString node = text(object.value(QLatin1String("id")));
            if (node.startsWith(QLatin1String("FEED:"))) {
                const QString id = positiveId(object.value(QLatin1String("bare_id")));
                const auto found = feeds.constFind(id);
                if (found != feeds.constEnd() && !placed.contains(id)) {
                    placed.insert(id);
                    folder.feeds.append(found.value());
                }
            } else if (node.startsWith(QLatin1String("CAT:"))) {
                const qint64 id = wholeNumber(object.value(QLatin1String("bare_id")));
                const QJsonArray children = object.value(QLatin1String("items")).toArray();
                // 0 holds the feeds of no category; below 0 are the server's own views
                // (special feeds, labels), which hold no feeds of the user's.
                if (id == 0 && depth == 0) {
                    readItems(children, folder, depth + 1);
                } else if (id > 0 && depth < kMaxFolderDepth) {
                    AccountFolder child;
                    child.id = QString::number(id);
                    child.title = feedChannelTitle(text(object.value(QLatin1String("name"))));
                    readItems(children, child, depth + 1);
                    folder.folders.append(child);
                }
            }
        }
    }
};

}  // namespace

QString apiUrl(const QString& given) {
    QUrl url(trimFeedText(given), QUrl::TolerantMode);
    url.setQuery(QString());
    url.setFragment(QString());
    QString path = url.path();
    while (path.endsWith(QLatin1Char('/'))) {
        path.chop(1);
    }
    if (!path.endsWith(QLatin1String("/api"))) {
        path += QLatin1String("/api");
    }
    url.setPath(path + QLatin1Char('/'));
    return url.toString();
}

AccountError failure(AccountError::Kind kind, const QString& message) {
    AccountError error;
    error.kind = kind;
    error.message = message;
    return error;
}

Answer readAnswer(const HttpFetchResult& result) {
    using Kind = AccountError::Kind;
    Answer answer;
    if (!result.ok) {
        if (result.httpStatus >= 500) {
            answer.error = failure(
                Kind::ServerError,
                TtrssText::tr("サーバーがエラーを返しました (HTTP %1)").arg(result.httpStatus));
        } else if (result.httpStatus >= 400) {
            answer.error =
                failure(Kind::NotAnAggregator,
                        TtrssText::tr("そこに Tiny Tiny RSS の API はありません (HTTP %1)")
                            .arg(result.httpStatus));
        } else if (result.httpStatus >= 200 && result.httpStatus < 300) {
            // The answer began and did not end well: over the size cap, or cut off.
            answer.error =
                result.error.startsWith(QLatin1String("response body larger"))
                    ? failure(Kind::BadAnswer,
                              TtrssText::tr("サーバーの答えを読めません: %1").arg(reasonOf(result)))
                    : failure(Kind::Truncated,
                              TtrssText::tr("サーバーの答えが途中で切れています: %1")
                                  .arg(reasonOf(result)));
        } else if (result.error.contains(QLatin1String("certificate"), Qt::CaseInsensitive)) {
            answer.error = failure(
                Kind::Certificate,
                TtrssText::tr("サーバーの証明書を確かめられません: %1").arg(reasonOf(result)));
        } else {
            answer.error = failure(
                Kind::Network, TtrssText::tr("サーバーにつながりません: %1").arg(reasonOf(result)));
        }
        return answer;
    }
    const QByteArray body = result.body.trimmed();
    if (!body.startsWith('{')) {
        answer.error = failure(
            Kind::NotAnAggregator,
            TtrssText::tr("Tiny Tiny RSS のサーバーではありません (答えが JSON ではありません)"));
        return answer;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        // Cut short: the text was fine up to its end, where something was left open.
        const bool leftOpen = parseError.error != QJsonParseError::GarbageAtEnd &&
                              parseError.error != QJsonParseError::IllegalUTF8String &&
                              parseError.error != QJsonParseError::DeepNesting;
        if (leftOpen && parseError.offset >= body.size() - 1) {
            answer.error =
                failure(Kind::Truncated, TtrssText::tr("サーバーの答えが途中で切れています"));
        } else {
            answer.error = failure(
                Kind::BadAnswer,
                TtrssText::tr("サーバーの答えを読めません: %1").arg(parseError.errorString()));
        }
        return answer;
    }
    const QJsonObject frame = document.object();
    const QJsonValue status = frame.value(QLatin1String("status"));
    const QJsonValue content = frame.value(QLatin1String("content"));
    if (!status.isDouble() || (!content.isObject() && !content.isArray())) {
        answer.error =
            failure(Kind::NotAnAggregator,
                    TtrssText::tr("Tiny Tiny RSS のサーバーではありません (答えの形が違います)"));
        return answer;
    }
    if (status.toDouble() == 0) {
        answer.state = Answer::State::Ok;
        answer.content = content;
        return answer;
    }
    const QString code = text(content.toObject().value(QLatin1String("error"))).left(200);
    if (code == QLatin1String("NOT_LOGGED_IN")) {
        answer.state = Answer::State::NotLoggedIn;
    } else if (code == QLatin1String("LOGIN_ERROR")) {
        answer.error =
            failure(Kind::WrongCredentials, TtrssText::tr("ユーザー名かパスワードが違います"));
    } else if (code == QLatin1String("API_DISABLED")) {
        answer.error = failure(
            Kind::ApiDisabled,
            TtrssText::tr(
                "このアカウントでは API が使えません。Tiny Tiny RSS の 設定 → API を有効にする "
                "(Preferences → Enable API) をオンにしてください"));
    } else if (code == QLatin1String("FEED_NOT_FOUND")) {
        answer.error = failure(Kind::Refused, TtrssText::tr("サーバーにそのフィードはありません"));
    } else {
        answer.error = failure(Kind::Refused,
                               TtrssText::tr("サーバーが要求を断りました: %1")
                                   .arg(code.isEmpty() ? TtrssText::tr("理由は不明です") : code));
    }
    return answer;
}

AccountLogin readLogin(const QJsonValue& content, QString& session, AccountError& error) {
    const QJsonObject object = content.toObject();
    const QString id = text(object.value(QLatin1String("session_id")));
    // PHP's session ids: letters, digits, "," and "-".
    const bool wellFormed = !id.isEmpty() && id.size() <= kMaxSessionLength &&
                            std::all_of(id.begin(), id.end(), [](QChar c) {
                                return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                                       (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                                       (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                                       c == QLatin1Char(',') || c == QLatin1Char('-');
                            });
    if (!wellFormed) {
        error = failure(
            AccountError::Kind::BadAnswer,
            TtrssText::tr("サーバーの答えを読めません: %1").arg(QStringLiteral("session_id")));
        return {};
    }
    session = id;
    AccountLogin login;
    const qint64 level = wholeNumber(object.value(QLatin1String("api_level")));
    login.apiLevel = level > 0 && level < 1000 ? QString::number(level) : QString();
    return login;
}

QHash<QString, AccountFeed> readFeeds(const QJsonValue& content, AccountError& error) {
    QHash<QString, AccountFeed> feeds;
    if (!content.isArray()) {
        error = failure(
            AccountError::Kind::BadAnswer,
            TtrssText::tr("サーバーの答えを読めません: %1").arg(QStringLiteral("getFeeds")));
        return feeds;
    }
    for (const QJsonValue& entry : content.toArray()) {
        if (feeds.size() >= kMaxEntries) {
            break;
        }
        const QJsonObject object = entry.toObject();
        AccountFeed feed;
        feed.id = positiveId(object.value(QLatin1String("id")));
        feed.feedUrl = webUrl(object.value(QLatin1String("feed_url")));
        if (feed.id.isEmpty() || feed.feedUrl.isEmpty()) {
            continue;
        }
        feed.title = feedChannelTitle(text(object.value(QLatin1String("title"))));
        feed.unread = std::max<qint64>(0, wholeNumber(object.value(QLatin1String("unread"))));
        feeds.insert(feed.id, feed);
    }
    return feeds;
}

AccountFolder readTree(const QJsonValue& content, const QHash<QString, AccountFeed>& feeds,
                       AccountError& error) {
    AccountFolder top;
    const QJsonValue categories = content.toObject().value(QLatin1String("categories"));
    const QJsonValue items = categories.toObject().value(QLatin1String("items"));
    if (!items.isArray()) {
        error = failure(
            AccountError::Kind::BadAnswer,
            TtrssText::tr("サーバーの答えを読めません: %1").arg(QStringLiteral("getFeedTree")));
        return top;
    }
    TreeReader reader{feeds, {}, 0};
    reader.readItems(items.toArray(), top, 0);
    // A feed subscribed between the two requests, or one the tree leaves out.
    QList<AccountFeed> rest;
    for (const AccountFeed& feed : feeds) {
        if (!reader.placed.contains(feed.id)) {
            rest.append(feed);
        }
    }
    std::sort(rest.begin(), rest.end(), [](const AccountFeed& a, const AccountFeed& b) {
        return a.id.toLongLong() < b.id.toLongLong();
    });
    top.feeds += rest;
    return top;
}

QList<AccountHeadline> readHeadlines(const QJsonValue& content,
                                     const QHash<QString, AccountFeed>& feeds, int& rawCount,
                                     AccountError& error) {
    QList<AccountHeadline> headlines;
    rawCount = 0;
    if (!content.isArray()) {
        error = failure(
            AccountError::Kind::BadAnswer,
            TtrssText::tr("サーバーの答えを読めません: %1").arg(QStringLiteral("getHeadlines")));
        return headlines;
    }
    const QJsonArray entries = content.toArray();
    rawCount = int(std::min<qsizetype>(entries.size(), kMaxEntries));
    for (qsizetype i = 0; i < rawCount; ++i) {
        const QJsonObject object = entries.at(i).toObject();
        AccountHeadline headline;
        headline.id = positiveId(object.value(QLatin1String("id")));
        if (headline.id.isEmpty()) {
            continue;
        }
        headline.feedId = positiveId(object.value(QLatin1String("feed_id")));
        const auto feed = feeds.constFind(headline.feedId);
        if (feed != feeds.constEnd()) {
            headline.feedUrl = feed->feedUrl;
            headline.feedTitle = feed->title;
        } else {
            headline.feedTitle = feedChannelTitle(text(object.value(QLatin1String("feed_title"))));
        }
        headline.title = feedItemTitle(text(object.value(QLatin1String("title"))));
        headline.link = webUrl(object.value(QLatin1String("link")));
        const qint64 updated = wholeNumber(object.value(QLatin1String("updated")));
        // Seconds since 1970, up to the year 9999.
        if (updated > 0 && updated < 253402300800) {
            headline.updated = QDateTime::fromSecsSinceEpoch(updated, Qt::UTC);
        }
        headlines.append(headline);
    }
    return headlines;
}

qint64 readUnreadCount(const QJsonValue& content, AccountError& error) {
    const qint64 count = wholeNumber(content.toObject().value(QLatin1String("unread")));
    if (count < 0) {
        error = failure(
            AccountError::Kind::BadAnswer,
            TtrssText::tr("サーバーの答えを読めません: %1").arg(QStringLiteral("getUnread")));
        return 0;
    }
    return count;
}

qint64 readUpdated(const QJsonValue& content, AccountError& error) {
    const QJsonObject object = content.toObject();
    if (text(object.value(QLatin1String("status"))) != QLatin1String("OK")) {
        error = failure(
            AccountError::Kind::BadAnswer,
            TtrssText::tr("サーバーの答えを読めません: %1").arg(QStringLiteral("updateArticle")));
        return 0;
    }
    return std::max<qint64>(0, wholeNumber(object.value(QLatin1String("updated"))));
}

AccountSubscription readSubscription(const QJsonValue& content, AccountError& error) {
    using Outcome = AccountSubscription::Outcome;
    const QJsonObject status = content.toObject().value(QLatin1String("status")).toObject();
    const QJsonValue code = status.value(QLatin1String("code"));
    AccountSubscription subscription;
    if (!code.isDouble() || wholeNumber(code) != code.toDouble()) {
        error = failure(
            AccountError::Kind::BadAnswer,
            TtrssText::tr("サーバーの答えを読めません: %1").arg(QStringLiteral("subscribeToFeed")));
        return subscription;
    }
    switch (wholeNumber(code)) {
        case 0:
            subscription.outcome = Outcome::AlreadySubscribed;
            break;
        case 1:
            subscription.outcome = Outcome::Subscribed;
            break;
        case 2:
            subscription.outcome = Outcome::InvalidUrl;
            break;
        case 3:
            subscription.outcome = Outcome::NoFeedThere;
            break;
        case 4:
            subscription.outcome = Outcome::SeveralFeeds;
            break;
        case 5:
            subscription.outcome = Outcome::NotDownloaded;
            break;
        default:
            error = failure(AccountError::Kind::BadAnswer,
                            TtrssText::tr("サーバーの答えを読めません: %1")
                                .arg(QStringLiteral("subscribeToFeed")));
            return subscription;
    }
    subscription.feedId = positiveId(status.value(QLatin1String("feed_id")));
    subscription.serverMessage = feedChannelTitle(text(status.value(QLatin1String("message"))));
    // Code 4 names the feeds a page offers, as {url: title} or as a list.
    const QJsonValue offered = status.value(QLatin1String("feeds"));
    const QStringList keys = offered.isObject() ? offered.toObject().keys() : QStringList();
    QJsonArray urls = offered.toArray();
    for (const QString& key : keys) {
        urls.append(key);
    }
    for (const QJsonValue& url : urls) {
        const QString checked = webUrl(url);
        if (!checked.isEmpty() && subscription.candidates.size() < 100) {
            subscription.candidates.append(checked);
        }
    }
    return subscription;
}

}  // namespace ttrss
