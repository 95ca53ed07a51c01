#include "patrol/formats/jsonfeedreader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "patrol/formats/feeddates.h"
#include "patrol/formats/feedtext.h"
#include "patrol/formats/htmltext.h"

namespace {

// The value's text when it is a string; null, numbers and the rest read as no text.
QString textOf(const QJsonObject& object, const char* key) {
    const QJsonValue value = object.value(QLatin1StringView(key));
    return value.isString() ? value.toString() : QString();
}

bool isJsonFeedVersion(const QString& version) {
    return version.startsWith(QLatin1StringView("https://jsonfeed.org/version/")) ||
           version.startsWith(QLatin1StringView("http://jsonfeed.org/version/"));
}

// No link stays no link: resolving nothing against the document would give the document.
QString linkOf(const QString& text, const QUrl& base) {
    const QStringView link = trimmedFeedText(text);
    return link.isEmpty() ? QString() : resolvedFeedLink(link, base);
}

ArticleRecord readItem(const QJsonObject& item, const QUrl& base) {
    ArticleRecord record;
    record.Title = feedItemTitle(textOf(item, "title"));
    QString link = textOf(item, "url");
    if (trimmedFeedText(link).isEmpty()) {
        link = textOf(item, "external_url");
    }
    record.Link = linkOf(link, base);
    record.PubDate = parseRfc3339Date(textOf(item, "date_published"));
    if (!record.PubDate.isValid()) {
        record.PubDate = parseRfc3339Date(textOf(item, "date_modified"));
    }
    const QString text = textOf(item, "content_text");
    record.Description = trimmedFeedText(text).isEmpty()
                             ? feedDescription(htmlToPlainText(textOf(item, "content_html")))
                             : feedDescription(text);
    return record;
}

FeedReadResult refused(FeedReadResult::Kind kind, const QString& why) {
    FeedReadResult result;
    result.kind = kind;
    result.family = FeedReadResult::Family::Json;
    result.error = why;
    return result;
}

}  // namespace

FeedReadResult readJsonFeed(const QByteArray& body, const QUrl& documentUrl) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        return refused(
            FeedReadResult::Kind::Malformed,
            QStringLiteral("%1 (offset %2)").arg(parseError.errorString()).arg(parseError.offset));
    }
    const QJsonObject feed = document.object();
    if (!document.isObject() || !isJsonFeedVersion(textOf(feed, "version"))) {
        return refused(FeedReadResult::Kind::NotFeed, QStringLiteral("no JSON Feed version"));
    }
    const QJsonValue itemsValue = feed.value(QLatin1StringView("items"));
    if (!itemsValue.isArray()) {
        return refused(FeedReadResult::Kind::NotFeed,
                       QStringLiteral("JSON Feed without an items array"));
    }
    FeedReadResult result;
    result.kind = FeedReadResult::Kind::Feed;
    result.family = FeedReadResult::Family::Json;
    result.channel.title = feedChannelTitle(textOf(feed, "title"));
    result.channel.link = linkOf(textOf(feed, "home_page_url"), documentUrl);
    result.channel.description = feedDescription(textOf(feed, "description"));
    // The favicon is made for a list of sites; the icon is a large square for home screens.
    result.channel.image = linkOf(textOf(feed, "favicon"), documentUrl);
    if (result.channel.image.isEmpty()) {
        result.channel.image = linkOf(textOf(feed, "icon"), documentUrl);
    }
    const QJsonArray items = itemsValue.toArray();
    for (const QJsonValue& item : items) {
        if (!item.isObject()) {
            continue;
        }
        if (result.items.size() >= kMaxFeedItems) {
            result.overflow = true;
            result.items = {};
            return result;
        }
        result.items.append(readItem(item.toObject(), documentUrl));
    }
    if (result.items.isEmpty()) {
        return refused(FeedReadResult::Kind::NotFeed, QStringLiteral("JSON Feed without items"));
    }
    return result;
}
