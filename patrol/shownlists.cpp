#include "patrol/shownlists.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <memory>
#include <optional>
#include <utility>

#include "core/appstate.h"
#include "patrol/md5.h"
#include "patrol/patrollog.h"
#include "platform/files/atomicfile.h"
#include "platform/files/paths.h"
#include "platform/system/clock.h"

namespace {

constexpr int kHashLength = 32;
const char kLineEnd[] = "\r\n";

QString fileNameOf(const QString& feedUrl) {
    return MD5Hex(feedUrl) + QStringLiteral(".dat");
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

// The file's bytes; none when there is no file or it cannot be read.
std::optional<QByteArray> readShownFile(const QString& path) {
    if (!QFileInfo::exists(path)) {
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return std::nullopt;
    }
    return content;
}

}  // namespace

QString shownListPath(const AppState& state, const QString& feedUrl) {
    return state.programFile(QStringLiteral("temporary")) + QLatin1Char('/') + fileNameOf(feedUrl);
}

void useShownLists(AppState& state) {
    state.useShownStore(std::make_unique<ShownListStore>(
        state.programFile(QStringLiteral("temporary")), state.seams.clock));
}

ShownListStore::ShownListStore(QString temporaryDir, const Clock& storeClock)
    : dir(std::move(temporaryDir)), clock(storeClock) {}

ShownListStore::~ShownListStore() {
    flush();
}

QString ShownListStore::pathOf(const QString& feedUrl) const {
    return dir + QLatin1Char('/') + fileNameOf(feedUrl);
}

void ShownListStore::MarkShownArticles(const QString& feedUrl, QList<ArticleRecord>& SiteArticles) {
    const QString path = pathOf(feedUrl);
    // The writer leaves the files alone until the rewrite below is queued, so the file and
    // the writes still waiting are read as one state.
    std::lock_guard fileLock(fileMutex);
    std::optional<QByteArray> onDisk = readShownFile(path);
    QList<QByteArray> lines;
    bool waiting = false;
    {
        std::lock_guard queueLock(queueMutex);
        for (const Write& write : pending) {
            if (write.path != path) {
                continue;
            }
            if (!waiting) {
                lines = splitShownLines(onDisk.value_or(QByteArray()));
                waiting = true;
            }
            if (write.rewrite) {
                lines = splitShownLines(write.bytes);
            } else {
                lines.append(splitShownLines(write.bytes));
            }
        }
    }
    if (!onDisk && !waiting) {
        return;  // no file, and none on its way
    }
    if (!waiting) {
        lines = splitShownLines(*onDisk);
    }
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
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (kept[i]) {
            rewritten.append(lines[i]).append(kLineEnd);
        }
    }
    if (!waiting && rewritten == *onDisk) {
        return;  // already in shape: spare the disk a rewrite
    }
    queue({path, std::move(rewritten), true});
}

void ShownListStore::RecordNewsShown(ArticleRecord& record) {
    if (record.FeedUrl.isEmpty()) {
        return;
    }
    QByteArray line = MD5Hex(record.Link).toLatin1();
    line.append(clock.now().toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1());
    line.append(kLineEnd);
    queue({pathOf(record.FeedUrl), std::move(line), false});
    record.IsNew = false;
}

void ShownListStore::flush() {
    std::unique_lock lock(queueMutex);
    idle.wait(lock, [this] { return !writing; });
}

void ShownListStore::queue(Write write) {
    std::lock_guard lock(queueMutex);
    pending.push_back(std::move(write));
    if (!writing) {
        writing = true;
        worker.start([this] { run(); });
    }
}

void ShownListStore::run() {
    for (;;) {
        std::lock_guard fileLock(fileMutex);
        Write write;
        {
            std::lock_guard queueLock(queueMutex);
            if (pending.empty()) {
                writing = false;
                idle.notify_all();
                return;
            }
            write = pending.front();
        }
        if (write.rewrite) {
            QString reason;
            // A failed rewrite leaves the old file as it was.
            if (!writeFileAtomically(write.path, write.bytes, FileAccess::OwnerOnly, &reason)) {
                qCWarning(lcPatrol).noquote()
                    << "shown-list file not rewritten:" << write.path << reason;
            }
        } else {
            append(write);
        }
        std::lock_guard queueLock(queueMutex);
        pending.pop_front();
    }
}

void ShownListStore::append(const Write& write) const {
    const auto fail = [&write](const QString& reason) {
        qCWarning(lcPatrol).noquote() << "shown-list line not written:" << write.path << reason;
    };
    // What the user has read is nobody else's business.
    if (!makePrivateFolder(dir)) {
        fail(QStringLiteral("no folder"));
        return;
    }
    QFile file(write.path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append,
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        fail(file.errorString());
        return;
    }
    const qint64 oldSize = file.size();
    QByteArray line;
    // A file whose last line lacks its ending (edited by hand, cut short) would otherwise
    // swallow this line into that one.
    if (oldSize > 0) {
        char last = 0;
        if (!file.seek(oldSize - 1) || !file.getChar(&last)) {
            fail(file.errorString());
            return;
        }
        if (last != '\n') {
            line.append(kLineEnd);
        }
    }
    line.append(write.bytes);
    if (file.write(line) != line.size() || !file.flush()) {
        fail(file.errorString());
        file.resize(oldSize);
    }
}
