#pragma once

#include <QHash>
#include <QJsonValue>
#include <QString>

#include "accounts/accountclient.h"
#include "platform/net/httpfetch.h"

// Reading what a Tiny Tiny RSS server answers, as plain functions for a worker thread. The
// server is not trusted: every field is checked for its type and size, and what does not
// fit is left out (an entry) or makes the whole answer fail (the frame around it).
namespace ttrss {

// Most entries one answer may give (feeds, folders, headlines of a walk).
inline constexpr int kMaxEntries = 32767;
// Deepest nesting of folders taken; deeper ones are cut off with what they hold.
inline constexpr int kMaxFolderDepth = 32;
// Longest URL or session id taken, in UTF-16 units.
inline constexpr qsizetype kMaxUrlLength = 8192;
inline constexpr qsizetype kMaxSessionLength = 256;

// The frame around every answer: {"seq":…, "status":0|1, "content":…}.
struct Answer {
    enum class State { Ok, Failed, NotLoggedIn };
    State state = State::Failed;
    QJsonValue content;
    AccountError error;
};

// The API's address for what the user typed: the server's base address or its API's.
[[nodiscard]] QString apiUrl(const QString& given);

[[nodiscard]] AccountError failure(AccountError::Kind kind, const QString& message);

// The frame of an answer, or why there is none: a network or HTTP failure, a page that is
// no JSON (not this kind of server), JSON cut short, or an error the server names.
[[nodiscard]] Answer readAnswer(const HttpFetchResult& result);

// login: the session id and API level.
[[nodiscard]] AccountLogin readLogin(const QJsonValue& content, QString& session,
                                     AccountError& error);
// getFeeds with cat_id -3: every feed by id, with its URL.
[[nodiscard]] QHash<QString, AccountFeed> readFeeds(const QJsonValue& content, AccountError& error);
// getFeedTree: the folders, holding the feeds that feeds knows (the tree's own feed entries
// carry no URL). A feed of no folder sits at the top; one the tree lacks is added there.
[[nodiscard]] AccountFolder readTree(const QJsonValue& content,
                                     const QHash<QString, AccountFeed>& feeds, AccountError& error);
// One page of getHeadlines; rawCount is how many entries the page held, taken or not.
[[nodiscard]] QList<AccountHeadline> readHeadlines(const QJsonValue& content,
                                                   const QHash<QString, AccountFeed>& feeds,
                                                   int& rawCount, AccountError& error);
// getUnread: how many articles are unread.
[[nodiscard]] qint64 readUnreadCount(const QJsonValue& content, AccountError& error);
// updateArticle: how many articles changed.
[[nodiscard]] qint64 readUpdated(const QJsonValue& content, AccountError& error);
// subscribeToFeed: its status code 0–5.
[[nodiscard]] AccountSubscription readSubscription(const QJsonValue& content, AccountError& error);

}  // namespace ttrss
