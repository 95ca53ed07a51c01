#include "formats/jsonfeedreader.h"

#include <algorithm>
#include <cstring>
#include <rapidjson/error/en.h>
#include <rapidjson/memorystream.h>
#include <rapidjson/reader.h>

#include "formats/articleidentity.h"
#include "formats/feeddates.h"
#include "formats/feedtext.h"
#include "formats/htmltext.h"
#include "formats/titleclean.h"

namespace {

// Deeper nesting is refused as hostile, as QJsonDocument refused it: nothing a feed says
// needs more than four levels.
constexpr int kMaxDepth = 1024;

bool isJsonFeedVersion(const QString& version) {
    return version.startsWith(QLatin1StringView("https://jsonfeed.org/version/")) ||
           version.startsWith(QLatin1StringView("http://jsonfeed.org/version/"));
}

bool isBlankByte(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The UTF-8 text of a JSON string as the feed texts are kept: without blanks at either end
// and cut to at most max UTF-16 units, never inside a surrogate pair (trimmedAndCut over
// the whole text), but decoding no more of a huge string than the cut keeps. The blanks
// are ASCII, so trimming the bytes trims the text.
QString keptText(const char* text, size_t length, qsizetype max) {
    while (length > 0 && isBlankByte(*text)) {
        ++text;
        --length;
    }
    while (length > 0 && isBlankByte(text[length - 1])) {
        --length;
    }
    // A UTF-16 unit takes at least one byte and at most three (four for two units): these
    // many bytes hold the first max units whole, a sequence cut at their end comes later.
    const size_t enough = size_t(max) * 3 + 4;
    QString decoded = QString::fromUtf8(text, qsizetype(std::min(length, enough)));
    if (decoded.size() > max) {
        decoded.truncate(decoded[max - 1].isHighSurrogate() ? max - 1 : max);
    }
    // The decoder reserves a unit for every byte: a third of that is used by Japanese text,
    // and the texts are kept with the items.
    decoded.squeeze();
    return decoded;
}

// No link stays no link: resolving nothing against the document would give the document.
QString linkOf(const QString& text, const QUrl& base) {
    return text.isEmpty() ? QString() : resolvedFeedLink(text, base);
}

// The members of the feed object and of an item that are read; every other is passed over.
enum class Member {
    Other,
    Version,
    Title,
    HomePageUrl,
    Description,
    Favicon,
    Icon,
    Items,
    Id,
    Url,
    ExternalUrl,
    DatePublished,
    DateModified,
    ContentText,
    ContentHtml,
};

struct MemberName {
    const char* name;
    Member member;
};

constexpr MemberName kFeedMembers[] = {
    {"version", Member::Version},
    {"title", Member::Title},
    {"home_page_url", Member::HomePageUrl},
    {"description", Member::Description},
    {"favicon", Member::Favicon},
    {"icon", Member::Icon},
    {"items", Member::Items},
};

constexpr MemberName kItemMembers[] = {
    {"id", Member::Id},
    {"title", Member::Title},
    {"url", Member::Url},
    {"external_url", Member::ExternalUrl},
    {"date_published", Member::DatePublished},
    {"date_modified", Member::DateModified},
    {"content_text", Member::ContentText},
    {"content_html", Member::ContentHtml},
};

template <size_t N>
Member memberOf(const MemberName (&names)[N], const char* key, size_t length) {
    for (const MemberName& name : names) {
        if (std::strlen(name.name) == length && std::memcmp(name.name, key, length) == 0) {
            return name.member;
        }
    }
    return Member::Other;
}

// The texts of one item as they arrive, in any order; a member given twice keeps its last
// value, and a value that is no string reads as no text.
struct ItemTexts {
    QString id;
    QString title;
    QString url;
    QString externalUrl;
    QString datePublished;
    QString dateModified;
    QString contentText;
    QString contentHtml;

    QString* field(Member member) {
        switch (member) {
            case Member::Id:
                return &id;
            case Member::Title:
                return &title;
            case Member::Url:
                return &url;
            case Member::ExternalUrl:
                return &externalUrl;
            case Member::DatePublished:
                return &datePublished;
            case Member::DateModified:
                return &dateModified;
            case Member::ContentText:
                return &contentText;
            case Member::ContentHtml:
                return &contentHtml;
            case Member::Other:
            case Member::Version:
            case Member::HomePageUrl:
            case Member::Description:
            case Member::Favicon:
            case Member::Icon:
            case Member::Items:
                break;
        }
        return nullptr;
    }
};

// Builds the result as the parser walks the document, keeping only what the result holds:
// the feed's own members, and the items up to the limit.
class FeedHandler : public rapidjson::BaseReaderHandler<rapidjson::UTF8<>, FeedHandler> {
public:
    explicit FeedHandler(const QUrl& documentUrl) : base(documentUrl) {}

    // Called for every scalar the parser meets (null, booleans, numbers).
    bool Default() { return value(nullptr, 0, false); }
    // A number where an item's id belongs is that id as written.
    bool RawNumber(const char* text, rapidjson::SizeType length, bool) {
        return inItem && depth == kItemDepth && member == Member::Id ? value(text, length, true)
                                                                     : Default();
    }
    bool String(const char* text, rapidjson::SizeType length, bool) {
        return value(text, length, true);
    }

    bool Key(const char* key, rapidjson::SizeType length, bool) {
        if (depth == kFeedDepth) {
            member = memberOf(kFeedMembers, key, length);
            // A member given twice keeps its last value.
            if (member == Member::Version) {
                version.clear();
            } else if (member == Member::Items) {
                itemsArray = false;
                items.clear();
                overflow = false;
            }
        } else if (inItem && depth == kItemDepth) {
            member = memberOf(kItemMembers, key, length);
            if (QString* field = item.field(member)) {
                field->clear();
            }
        }
        return true;
    }

    bool StartObject() {
        if (!value(nullptr, 0, false) || !enter()) {
            return false;
        }
        if (inItems && depth == kItemDepth) {
            inItem = true;
            item = ItemTexts();
        }
        return true;
    }

    bool EndObject(rapidjson::SizeType) {
        if (inItem && depth == kItemDepth) {
            inItem = false;
            if (!addItem()) {
                return false;
            }
        }
        --depth;
        return true;
    }

    bool StartArray() {
        const bool startsItems = depth == kFeedDepth && member == Member::Items;
        if (!value(nullptr, 0, false) || !enter()) {
            return false;
        }
        if (startsItems) {
            itemsArray = true;
            inItems = true;
        }
        return true;
    }

    bool EndArray(rapidjson::SizeType) {
        if (inItems && depth == kItemsDepth) {
            inItems = false;
        }
        --depth;
        return true;
    }

    static constexpr int kFeedDepth = 1;
    static constexpr int kItemsDepth = 2;
    static constexpr int kItemDepth = 3;

    const QUrl& base;
    int depth = 0;
    bool tooDeep = false;
    // The parse was ended on purpose: what it read decides.
    bool stopped = false;
    Member member = Member::Other;
    bool inItems = false;
    bool inItem = false;
    ItemTexts item;

    QString version;
    FeedChannel channel;
    // The favicon is made for a list of sites; the icon is a large square for home screens.
    QString favicon;
    QString icon;
    bool itemsArray = false;
    QList<ArticleRecord> items;
    bool overflow = false;

private:
    bool enter() {
        if (++depth > kMaxDepth) {
            tooDeep = true;
            return false;
        }
        return true;
    }

    // A member's value: text when isText, else anything else (a scalar, or the start of an
    // object or array), which reads as no text.
    bool value(const char* text, size_t length, bool isText) {
        if (depth == kFeedDepth) {
            if (isText) {
                switch (member) {
                    case Member::Version:
                        // Only its start is compared.
                        version = QString::fromUtf8(text, qsizetype(std::min<size_t>(length, 64)));
                        if (overflow && isJsonFeedVersion(version)) {
                            stopped = true;
                            return false;
                        }
                        break;
                    case Member::Title:
                        channel.title = keptText(text, length, kMaxFeedTitleLength);
                        break;
                    case Member::HomePageUrl:
                        channel.link = linkOf(keptText(text, length, kMaxLinkLength), base);
                        break;
                    case Member::Description:
                        channel.description = keptText(text, length, kMaxFeedDescriptionLength);
                        break;
                    case Member::Favicon:
                        favicon = linkOf(keptText(text, length, kMaxLinkLength), base);
                        break;
                    case Member::Icon:
                        icon = linkOf(keptText(text, length, kMaxLinkLength), base);
                        break;
                    default:
                        break;
                }
            } else {
                switch (member) {
                    case Member::Title:
                        channel.title.clear();
                        break;
                    case Member::HomePageUrl:
                        channel.link.clear();
                        break;
                    case Member::Description:
                        channel.description.clear();
                        break;
                    case Member::Favicon:
                        favicon.clear();
                        break;
                    case Member::Icon:
                        icon.clear();
                        break;
                    default:
                        break;
                }
            }
            member = Member::Other;
        } else if (inItem && depth == kItemDepth) {
            if (QString* field = item.field(member); field != nullptr && isText) {
                *field = keptText(text, length, limitOf(member));
            }
            member = Member::Other;
        }
        return true;
    }

    static qsizetype limitOf(Member member) {
        switch (member) {
            case Member::Title:
                return kMaxFeedTitleLength;
            case Member::ContentText:
                return kMaxFeedDescriptionLength;
            case Member::ContentHtml:
                // Room for the markup around the text it shows.
                return 4 * kMaxFeedDescriptionLength;
            default:
                return kMaxLinkLength;
        }
    }

    // An item has ended: it is read, unless the limit has been passed; past it the rest of
    // the document is only read as far as the version is still unknown.
    bool addItem() {
        if (overflow) {
            return true;
        }
        if (items.size() >= kMaxFeedItems) {
            overflow = true;
            items = {};
            if (isJsonFeedVersion(version)) {
                stopped = true;
                return false;
            }
            return true;
        }
        ArticleRecord record;
        // Trimmed and cut already, as feedItemTitle would.
        record.Title = CleanTitleText(item.title);
        record.Link = linkOf(item.url.isEmpty() ? item.externalUrl : item.url, base);
        record.PubDate = parseRfc3339Date(item.datePublished);
        if (!record.PubDate.isValid()) {
            record.PubDate = parseRfc3339Date(item.dateModified);
        }
        record.Description = item.contentText.isEmpty()
                                 ? feedDescription(htmlToPlainText(item.contentHtml))
                                 : item.contentText;
        record.Identity = articleIdentity(item.id, record.Link, record.Title, record.PubDate);
        items.append(std::move(record));
        return true;
    }

    // Links are not cut when read, but no link needs more than this.
    static constexpr qsizetype kMaxLinkLength = 1 << 20;
};

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    const char lower = char(c | 0x20);
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

// The value of the four hex digits at text[at], or -1.
int hex4(const QByteArray& text, qsizetype at) {
    if (at + 4 > text.size()) {
        return -1;
    }
    int value = 0;
    for (qsizetype i = at; i < at + 4; ++i) {
        const int digit = hexValue(text[i]);
        if (digit < 0) {
            return -1;
        }
        value = value * 16 + digit;
    }
    return value;
}

// body with every escape of a high surrogate that starts no pair ("\uD83C" alone)
// rewritten as "\uFFFD", the replacement character: the parser refuses a whole document for
// one, where a lone low surrogate reads as U+FFFD already.
QByteArray withLoneSurrogatesReplaced(QByteArray body) {
    bool inString = false;
    for (qsizetype i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (c == '"') {
            inString = !inString;
        } else if (inString && c == '\\' && i + 1 < body.size()) {
            if (body[i + 1] == 'u') {
                const int unit = hex4(body, i + 2);
                const int next = i + 7 < body.size() && body[i + 6] == '\\' && body[i + 7] == 'u'
                                     ? hex4(body, i + 8)
                                     : -1;
                if (unit >= 0xD800 && unit <= 0xDBFF && !(next >= 0xDC00 && next <= 0xDFFF)) {
                    body.replace(i + 2, 4, "FFFD", 4);
                }
            }
            ++i;  // the escaped character, never a closing quote
        }
    }
    return body;
}

FeedReadResult refused(FeedReadResult::Kind kind, const QString& why) {
    FeedReadResult result;
    result.kind = kind;
    result.family = FeedReadResult::Family::Json;
    result.error = why;
    return result;
}

// One parse of body; loneSurrogate tells a refusal for a surrogate escape that starts no pair.
FeedReadResult readOnce(const QByteArray& body, const QUrl& documentUrl, bool& loneSurrogate) {
    FeedHandler handler(documentUrl);
    // The parser knows no byte-order mark.
    const qsizetype start = body.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    rapidjson::MemoryStream stream(body.constData() + start, size_t(body.size() - start));
    rapidjson::Reader reader;
    // Iterative: the depth of the document never reaches the thread's stack. Numbers are
    // passed over as written: none is read.
    constexpr unsigned kFlags =
        rapidjson::kParseIterativeFlag | rapidjson::kParseNumbersAsStringsFlag;
    const rapidjson::ParseResult parsed = reader.Parse<kFlags>(stream, handler);
    if (parsed.IsError() && !handler.stopped) {
        loneSurrogate = parsed.Code() == rapidjson::kParseErrorStringUnicodeSurrogateInvalid;
        const QString why = handler.tooDeep
                                ? QStringLiteral("nested deeper than %1 levels").arg(kMaxDepth)
                                : QString::fromUtf8(rapidjson::GetParseError_En(parsed.Code()));
        return refused(
            FeedReadResult::Kind::Malformed,
            QStringLiteral("%1 (offset %2)").arg(why).arg(qsizetype(parsed.Offset()) + start));
    }
    if (!isJsonFeedVersion(handler.version)) {
        return refused(FeedReadResult::Kind::NotFeed, QStringLiteral("no JSON Feed version"));
    }
    if (!handler.itemsArray) {
        return refused(FeedReadResult::Kind::NotFeed,
                       QStringLiteral("JSON Feed without an items array"));
    }
    if (handler.items.isEmpty() && !handler.overflow) {
        return refused(FeedReadResult::Kind::NotFeed, QStringLiteral("JSON Feed without items"));
    }
    FeedReadResult result;
    result.kind = FeedReadResult::Kind::Feed;
    result.family = FeedReadResult::Family::Json;
    result.channel = std::move(handler.channel);
    result.channel.image = handler.favicon.isEmpty() ? handler.icon : handler.favicon;
    result.items = std::move(handler.items);
    result.overflow = handler.overflow;
    return result;
}

}  // namespace

FeedReadResult readJsonFeed(const QByteArray& body, const QUrl& documentUrl) {
    bool loneSurrogate = false;
    FeedReadResult result = readOnce(body, documentUrl, loneSurrogate);
    if (loneSurrogate) {
        // Rare: only a document that needs it is copied.
        bool again = false;
        result = readOnce(withLoneSurrogatesReplaced(body), documentUrl, again);
    }
    return result;
}
