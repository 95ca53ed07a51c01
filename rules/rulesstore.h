#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

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

    // Writes the document's bytes atomically and puts them in force at once. False, with the
    // file and the rules in force as they were, when the write fails or when the last read
    // failed or none was made yet (the file holds what the program has not read, which an
    // edit of what it did read must not replace).
    bool save(const RulesDocument& edited);

    // Runs after the rules in force or readFailure() changed.
    void setChangedHandler(std::function<void()> handler) { changed = std::move(handler); }

    [[nodiscard]] const QString& path() const { return filePath; }

private:
    void putInForce(const QByteArray& newBytes);

    const QString filePath;
    std::unique_ptr<FileWatcher> watcher;
    std::function<void()> changed;
    // The bytes in force, once the file has been read.
    bool loaded = false;
    QByteArray bytes;
    QString failure;
    quint64 lastGeneration = 0;

    mutable std::mutex mutex;
    std::shared_ptr<const RuleSet> rules;
    std::atomic<quint64> currentGeneration{0};
};
