#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <condition_variable>
#include <deque>
#include <mutex>

#include "core/articlerecord.h"
#include "core/shownstore.h"
#include "platform/system/workerpool.h"

struct AppState;
class Clock;

// The shown-list files: one per feed URL under <program directory>/temporary/, named by
// MD5Hex of the URL exactly as stored. Each line is MD5Hex(Link) (32 characters) and the
// local time of showing, yyyyMMddHHmmss, ended by CR LF; only the first 32 characters are
// ever read back.

[[nodiscard]] QString shownListPath(const AppState& state, const QString& feedUrl);

// Gives state the shown-list files of its program directory as its ShownStore.
void useShownLists(AppState& state);

// The shown-list files as the program's ShownStore. Appends and rewrites run on a writer
// thread of its own, one at a time in the order asked; MarkShownArticles reads a file on the
// caller's thread (a few kilobytes) and sees the lines still waiting to be written. A write
// that fails is logged and leaves no partial line; the destructor waits for the writes.
class ShownListStore final : public ShownStore {
public:
    // Files go to temporaryDir (created, the user's alone, with the first line); the time
    // of showing comes from clock.
    ShownListStore(QString temporaryDir, const Clock& clock);
    ~ShownListStore() override;
    ShownListStore(const ShownListStore&) = delete;
    ShownListStore& operator=(const ShownListStore&) = delete;

    // With no file, nothing happens and none is created; an empty file is left alone.
    // Otherwise the records whose link a line holds are marked not new and the file is
    // rewritten with the matched lines only, in their order.
    void MarkShownArticles(const QString& feedUrl, QList<ArticleRecord>& SiteArticles) override;
    void RecordNewsShown(ArticleRecord& record) override;
    void flush() override;

private:
    struct Write {
        QString path;
        QByteArray bytes;
        bool rewrite = false;  // the file's new content, else one line to append
    };
    [[nodiscard]] QString pathOf(const QString& feedUrl) const;
    void queue(Write write);
    void run();
    void append(const Write& write) const;

    const QString dir;
    const Clock& clock;
    // Held while a shown-list file is touched: by the writer for one write, by
    // MarkShownArticles while it reads. Taken before queueMutex, never after.
    std::mutex fileMutex;
    std::mutex queueMutex;
    std::condition_variable idle;
    // Writes not yet done, in order; the one being written stays at the front until done.
    std::deque<Write> pending;
    bool writing = false;
    // Declared last, so that it ends first.
    WorkerPool worker{1};
};
