#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "platform/files/filewatcher.h"
#include "platform/system/workerpool.h"
#include "rules/rulesdocument.h"
#include "rules/ruleset.h"

// The rules file beside config.ini.
inline constexpr char kRulesFileName[] = "rules.txt";
// A larger file is not read (a person writes a few hundred lines at most).
inline constexpr qint64 kMaxRulesFileBytes = 1024 * 1024;

struct RulesFileRead {
    enum class Status { Missing, Read, Failed };
    Status status = Status::Missing;
    QByteArray bytes;
    // Why it failed.
    QString error;
};

// Reads rules.txt; a missing file is no rules, anything else that cannot be read (a folder,
// a file too large, no permission) a failure.
[[nodiscard]] RulesFileRead readRulesFile(const QString& path);

// What the user is told when an edit of the rules could not be saved to path.
[[nodiscard]] QString rulesSaveFailedText(const QString& path);
// What the user is told when an edit would make the file larger than the program reads.
[[nodiscard]] QString rulesTooLargeText();
// What the user is told when the file changed on disk under an edit, which was not made.
[[nodiscard]] QString rulesChangedOnDiskText();

// How a save of the rules ended.
enum class RulesSave {
    Saved,
    // The file on disk is no longer what was read: it was read again and the edit dropped.
    ChangedOnDisk,
    // The edited file would pass kMaxRulesFileBytes; nothing was written.
    TooLarge,
    // Not written: the write failed, or the last read failed or none was made yet.
    Failed,
};

// The rules in force, read from rules.txt again whenever it changes on disk, and written
// when the program changes them. Lives on the user-interface thread, which it never holds:
// the file is read, parsed, compiled and written on the store's own worker thread, one
// request after another in the order they were made, and each outcome is put in force on
// the user-interface thread in that order. Until then current() answers with the rules in
// force before. current() and generation() may be asked from any thread.
class RulesStore {
public:
    // Holds no rules until the first reload() has come back. watcher, when given, is set on
    // path and triggers reload() on every change it notices.
    explicit RulesStore(QString path, std::unique_ptr<FileWatcher> watcher = {});
    // Follows the file with fileWatcher from now on (replacing any watcher given before).
    void watch(std::unique_ptr<FileWatcher> fileWatcher);
    // Waits for a read or write under way; those only asked for are dropped.
    ~RulesStore();
    RulesStore(const RulesStore&) = delete;
    RulesStore& operator=(const RulesStore&) = delete;

    // Reads the file on the worker and returns at once. When its bytes differ from those in
    // force, they are compiled there and put in force under the next generation. A failed
    // read keeps the rules in force and leaves the file alone. done, when given, runs on
    // this thread once the outcome is in force.
    void reload(std::function<void()> done = {});

    // The rules in force; never null. Any thread.
    [[nodiscard]] std::shared_ptr<const RuleSet> current() const;
    // current()->generation() without the lock: compare it with the generation a verdict
    // was made under to know whether it still holds. Any thread.
    [[nodiscard]] quint64 generation() const { return currentGeneration.load(); }

    // The file's text as last read or saved, for an edit (parsed already: no work here).
    [[nodiscard]] RulesDocument document() const { return parsed; }
    // Why the last read failed, as a sentence for the user; empty when it did not.
    [[nodiscard]] const QString& readFailure() const { return failure; }
    // A read or save asked for has not come back yet.
    [[nodiscard]] bool busy() const { return pending > 0; }
    // The first read asked for has not come back yet: the rules in force are none, but not
    // because the file holds none.
    [[nodiscard]] bool awaitingFirstRead() const { return !outcomeApplied && pending > 0; }

    // Writes the document's bytes atomically on the worker and puts them in force; done
    // runs on this thread with how it ended, once that is in force. Just before the write
    // the file is read once more: when it is no longer what was read last (another program
    // changed it and the watcher has not told yet), it is put in force instead and nothing
    // is written. Nothing is written either, and the file and the rules in force stay as
    // they were, when the write fails, when the file would be larger than the program
    // reads, or when the last read failed or none had come back when save was called (the
    // file holds what the program has not read, which an edit of what it did read must not
    // replace).
    void save(RulesDocument edited, std::function<void(RulesSave)> done);

    // handler runs after the rules in force or readFailure() changed, until the handlers of
    // its owner are removed.
    void addChangedHandler(const void* owner, std::function<void()> handler);
    void removeChangedHandlers(const void* owner);

    [[nodiscard]] const QString& path() const { return filePath; }

private:
    // What a request found, made on the worker and put in force on this thread.
    struct Outcome {
        // Set when the file could not be read: why.
        std::optional<QString> readError;
        // The file was read (and bytes is what it holds).
        bool fileRead = false;
        // Set when the bytes differ from those in force: the rules they make.
        std::shared_ptr<const RuleSet> rules;
        QByteArray bytes;
        RulesDocument document;
        std::optional<RulesSave> saved;
    };
    // The worker's own record: what is in force once every outcome made so far is.
    struct WorkerSide {
        bool loaded = false;
        QByteArray bytes;
        quint64 generation = 0;
    };

    void request(std::function<Outcome()> work, std::function<void(RulesSave)> done);
    // On the worker: reads the file into outcome; false when the read failed.
    bool readInto(Outcome& outcome);
    // On the worker: the outcome of newBytes being what the file now holds.
    void putInOutcome(Outcome& outcome, const QByteArray& newBytes);
    void apply(Outcome outcome);
    void tellChanged();

    const QString filePath;
    std::unique_ptr<FileWatcher> watcher;
    std::vector<std::pair<const void*, std::function<void()>>> changedHandlers;
    // The bytes in force, once the file has been read, and their text.
    bool loaded = false;
    QByteArray bytes;
    RulesDocument parsed;
    QString failure;
    int pending = 0;
    bool outcomeApplied = false;
    // The last read asked for; more asked for before it begins are the same read.
    struct QueuedRead {
        std::atomic<bool> begun{false};
        // Touched on this thread only.
        std::vector<std::function<void()>> done;
    };
    std::shared_ptr<QueuedRead> queuedRead;

    mutable std::mutex mutex;
    std::shared_ptr<const RuleSet> rules;
    std::atomic<quint64> currentGeneration{0};

    // Touched by the worker's jobs only, which run one at a time.
    WorkerSide workerSide;
    // Outcomes are posted to it; it lives on the thread that made the store.
    std::unique_ptr<QObject> receiver = std::make_unique<QObject>();
    // Last: it ends first, while what its jobs use is still there.
    WorkerPool worker{1};
};
