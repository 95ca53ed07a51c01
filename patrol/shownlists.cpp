#include "patrol/shownlists.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include "core/appstate.h"
#include "core/feedservice.h"
#include "patrol/md5.h"
#include "platform/files/atomicfile.h"
#include "platform/system/clock.h"
#include "platform/files/paths.h"
#include "rules/rulesstore.h"

namespace {

constexpr int kHashLength = 32;
const char kLineEnd[] = "\r\n";

QString temporaryDir(const AppState& state) {
    return state.programFile(QStringLiteral("temporary"));
}

// Lines of a shown-list file, trailing spaces removed. CR LF, LF and CR all end a line;
// a last line without an ending still counts.
QList<QByteArray> splitShownLines(const QByteArray& content) {
    QList<QByteArray> lines;
    qsizetype start = 0;
    const qsizetype size = content.size();
    while (start < size) {
        qsizetype end = start;
        while (end < size && content[end] != '\n' && content[end] != '\r') {
            ++end;
        }
        QByteArray line = content.mid(start, end - start);
        while (line.endsWith(' ')) {
            line.chop(1);
        }
        lines.append(line);
        if (end < size && content[end] == '\r' && end + 1 < size && content[end + 1] == '\n') {
            ++end;
        }
        start = end + 1;
    }
    return lines;
}

}  // namespace

QString shownListPath(const AppState& state, const QString& feedUrl) {
    return temporaryDir(state) + QLatin1Char('/') + MD5Hex(feedUrl) + QStringLiteral(".dat");
}

void MarkShownArticles(AppState& state, QList<ArticleRecord>& SiteArticles, int siteIndex) {
    if (!state.SiteTable.isValidIndex(siteIndex)) {
        return;
    }
    markShownOfFeed(state, SiteArticles, state.SiteTable[siteIndex].strXmlUrl);
}

void markShownOfFeed(AppState& state, QList<ArticleRecord>& articles, const QString& feedUrl) {
    QList<ArticleRecord>& SiteArticles = articles;
    const QString path = shownListPath(state, feedUrl);
    if (!QFileInfo::exists(path)) {
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return;
    }
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return;
    }
    file.close();
    const QList<QByteArray> lines = splitShownLines(content);
    if (lines.isEmpty()) {
        return;
    }

    // Digest -> first line that starts with it, so that a record matches the earliest.
    QHash<QByteArray, qsizetype> firstLineOf;
    firstLineOf.reserve(lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray digest = lines[i].left(kHashLength);
        if (digest.size() == kHashLength && !firstLineOf.contains(digest)) {
            firstLineOf.insert(digest, i);
        }
    }

    QList<bool> kept(lines.size(), false);
    for (ArticleRecord& record : SiteArticles) {
        const auto match = firstLineOf.constFind(MD5Hex(record.Link).toLatin1());
        if (match != firstLineOf.constEnd()) {
            record.IsNew = false;
            kept[*match] = true;
        }
    }

    QByteArray rewritten;
    rewritten.reserve(content.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (kept[i]) {
            rewritten.append(lines[i]).append(kLineEnd);
        }
    }
    if (rewritten == content) {
        return;  // already in shape: spare the disk a rewrite
    }
    // A failed rewrite leaves the old file as it was.
    (void)writeFileAtomically(path, rewritten, FileAccess::OwnerOnly);
}

bool RecordNewsShown(AppState& state, int queueIndex) {
    if (queueIndex < 1 || queueIndex > state.NewsQueue.lastIndex()) {
        return false;
    }
    ArticleRecord& record = state.NewsQueue[queueIndex];
    // An account's article has no site row: its feed's URL names its file.
    const bool ofAccount = record.Account != 0;
    if (ofAccount ? record.FeedUrl.isEmpty() : !state.SiteTable.isValidIndex(record.SiteIndex)) {
        return false;
    }
    const QString feedUrl =
        ofAccount ? record.FeedUrl : state.SiteTable[record.SiteIndex].strXmlUrl;
    // What the user has read is nobody else's business.
    if (!makePrivateFolder(temporaryDir(state))) {
        return false;
    }
    QFile file(shownListPath(state, feedUrl));
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append,
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        return false;
    }
    const qint64 oldSize = file.size();
    QByteArray line;
    // A file whose last line lacks its ending (edited by hand, cut short) would otherwise
    // swallow this line into that one.
    if (oldSize > 0) {
        char last = 0;
        if (!file.seek(oldSize - 1) || !file.getChar(&last)) {
            return false;
        }
        if (last != '\n') {
            line.append(kLineEnd);
        }
    }
    line.append(MD5Hex(record.Link).toLatin1());
    line.append(state.seams.clock.now().toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1());
    line.append(kLineEnd);
    const bool written = file.write(line) == line.size() && file.flush();
    if (!written) {
        file.resize(oldSize);
        return false;
    }
    file.close();
    record.IsNew = false;
    return true;
}
