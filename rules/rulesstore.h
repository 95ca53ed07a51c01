#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/filewatcher.h"
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
// when the program changes them. Lives on the user-interface thread; current() and
// generation() may be asked from any thread.
class RulesStore {
public:
    // Holds no rules until the first reload(). watcher, when given, is set on path and
    // triggers reload() on every change it notices.
    explicit RulesStore(QString path, std::unique_ptr<FileWatcher> watcher = {});
    // Follows the file with fileWatcher from now on (replacing any watcher given before).
    void watch(std::unique_ptr<FileWatcher> fileWatcher);
    ~RulesStore();
    RulesStore(const RulesStore&) = delete;
    RulesStore& operator=(const RulesStore&) = delete;

    // Reads the file and, when its bytes differ from those in force, compiles them and puts
    // them in force under the next generation. A failed read keeps the rules in force and
    // leaves the file alone.
    void reload();

    // The rules in force; never null. Any thread.
    [[nodiscard]] std::shared_ptr<const RuleSet> current() const;
    // current()->generation() without the lock: compare it with the generation a verdict
    // was made under to know whether it still holds. Any thread.
    [[nodiscard]] quint64 generation() const { return currentGeneration.load(); }

    // The file's text as last read or saved, for an edit.
    [[nodiscard]] RulesDocument document() const { return RulesDocument::fromBytes(bytes); }
    // Why the last read failed, as a sentence for the user; empty when it did not.
    [[nodiscard]] const QString& readFailure() const { return failure; }

    // Writes the document's bytes atomically and puts them in force at once. Just before the
    // write the file is read once more: when it is no longer what was read last (another
    // program changed it and the watcher has not told yet), it is put in force instead and
    // nothing is written. Nothing is written either, and the file and the rules in force
    // stay as they were, when the write fails, when the file would be larger than the
    // program reads, or when the last read failed or none was made yet (the file holds what
    // the program has not read, which an edit of what it did read must not replace).
    [[nodiscard]] RulesSave save(const RulesDocument& edited);

    // handler runs after the rules in force or readFailure() changed, until the handlers of
    // its owner are removed.
    void addChangedHandler(const void* owner, std::function<void()> handler);
    void removeChangedHandlers(const void* owner);

    [[nodiscard]] const QString& path() const { return filePath; }

private:
    void putInForce(const QByteArray& newBytes);
    void tellChanged();

    const QString filePath;
    std::unique_ptr<FileWatcher> watcher;
    std::vector<std::pair<const void*, std::function<void()>>> changedHandlers;
    // The bytes in force, once the file has been read.
    bool loaded = false;
    QByteArray bytes;
    QString failure;
    quint64 lastGeneration = 0;

    mutable std::mutex mutex;
    std::shared_ptr<const RuleSet> rules;
    std::atomic<quint64> currentGeneration{0};
};
