#include "rules/rulesstore.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <utility>

#include "platform/files/atomicfile.h"
#include "platform/files/localfile.h"

RulesFileRead readRulesFile(const QString& path) {
    RulesFileRead read;
    if (!QFileInfo::exists(path)) {
        return read;
    }
    read.status =
        readLocalFile(path, kMaxRulesFileBytes, read.bytes, read.error) == LocalFileRead::Ok
            ? RulesFileRead::Status::Read
            : RulesFileRead::Status::Failed;
    return read;
}

QString rulesSaveFailedText(const QString& path) {
    return QCoreApplication::translate(
               "DisplayRules", "表示ルールを保存できませんでした。ファイルは元のままです。\r\n%1")
        .arg(path);
}

QString rulesTooLargeText() {
    return QCoreApplication::translate(
               "DisplayRules",
               "表示ルールのファイルが %1 KiB "
               "を超えるため、この変更はできません。ファイルは元のままです。")
        .arg(kMaxRulesFileBytes / 1024);
}

QString rulesChangedOnDiskText() {
    return QCoreApplication::translate(
        "DisplayRules",
        "表示ルールのファイルがほかで変更されたので、読み直しました。もう一度操作してください。");
}

RulesStore::RulesStore(QString path, std::unique_ptr<FileWatcher> fileWatcher)
    : filePath(std::move(path)), rules(std::make_shared<const RuleSet>()) {
    watch(std::move(fileWatcher));
}

void RulesStore::watch(std::unique_ptr<FileWatcher> fileWatcher) {
    watcher = std::move(fileWatcher);
    if (watcher) {
        watcher->watch(filePath, [this] { reload(); });
    }
}

RulesStore::~RulesStore() {
    worker.stop(-1);
}

void RulesStore::reload(std::function<void()> done) {
    // A read asked for and not begun yet reads the file as it will be: a burst of changes
    // (a sync tool rewriting the file) is one read, not a queue of them.
    if (queuedRead && !queuedRead->begun.load()) {
        if (done) {
            queuedRead->done.push_back(std::move(done));
        }
        return;
    }
    auto read = std::make_shared<QueuedRead>();
    if (done) {
        read->done.push_back(std::move(done));
    }
    queuedRead = read;
    request(
        [this, read] {
            read->begun.store(true);
            Outcome outcome;
            if (readInto(outcome) && (!workerSide.loaded || outcome.bytes != workerSide.bytes)) {
                putInOutcome(outcome, outcome.bytes);
            }
            return outcome;
        },
        [read](RulesSave) {
            for (const std::function<void()>& then : read->done) {
                then();
            }
        });
}

bool RulesStore::readInto(Outcome& outcome) {
    RulesFileRead read = readRulesFile(filePath);
    if (read.status == RulesFileRead::Status::Failed) {
        outcome.readError = std::move(read.error);
        return false;
    }
    // A missing file and an empty one both hold no rules.
    outcome.bytes = std::move(read.bytes);
    outcome.fileRead = true;
    return true;
}

void RulesStore::putInOutcome(Outcome& outcome, const QByteArray& newBytes) {
    workerSide.loaded = true;
    workerSide.bytes = newBytes;
    outcome.bytes = newBytes;
    outcome.document = RulesDocument::fromBytes(newBytes);
    outcome.rules = RuleSet::compile(outcome.document, ++workerSide.generation);
}

std::shared_ptr<const RuleSet> RulesStore::current() const {
    const std::lock_guard lock(mutex);
    return rules;
}

void RulesStore::save(RulesDocument edited, std::function<void(RulesSave)> done) {
    // The bytes the edit was made on; none when they are not what the file holds.
    std::optional<QByteArray> base;
    if (loaded && failure.isEmpty()) {
        base = bytes;
    }
    request(
        [this, edited = std::move(edited), base = std::move(base)] {
            Outcome outcome;
            outcome.saved = RulesSave::Failed;
            if (!base) {
                return outcome;
            }
            const QByteArray newBytes = edited.toBytes();
            if (newBytes.size() > kMaxRulesFileBytes) {
                outcome.saved = RulesSave::TooLarge;
                return outcome;
            }
            // The watcher tells of a change only once it has settled: a change made just now
            // may not have been read yet, and the edit was made on what was read.
            if (!readInto(outcome)) {
                return outcome;
            }
            if (outcome.bytes != *base) {
                outcome.saved = RulesSave::ChangedOnDisk;
                if (outcome.bytes != workerSide.bytes) {
                    putInOutcome(outcome, outcome.bytes);
                }
                return outcome;
            }
            if (!writeFileAtomically(filePath, newBytes, FileAccess::OwnerOnly)) {
                return outcome;
            }
            outcome.saved = RulesSave::Saved;
            if (newBytes != workerSide.bytes) {
                putInOutcome(outcome, newBytes);
            }
            return outcome;
        },
        std::move(done));
}

void RulesStore::request(std::function<Outcome()> work, std::function<void(RulesSave)> done) {
    ++pending;
    QObject* to = receiver.get();
    worker.start([this, to, work = std::move(work), done = std::move(done)]() mutable {
        Outcome outcome = work();
        // The store's destructor waits for this job, so the receiver is still here; an
        // outcome posted to it and not yet delivered is dropped with it.
        QMetaObject::invokeMethod(
            to,
            [this, outcome = std::move(outcome), done = std::move(done)]() mutable {
                const std::optional<RulesSave> saved = outcome.saved;
                apply(std::move(outcome));
                if (done) {
                    done(saved.value_or(RulesSave::Saved));
                }
                --pending;
            },
            Qt::QueuedConnection);
    });
}

void RulesStore::apply(Outcome outcome) {
    outcomeApplied = true;
    if (outcome.readError) {
        const QString why =
            QCoreApplication::translate("DisplayRules", "表示ルール (%1) を読めませんでした: %2")
                .arg(filePath, *outcome.readError);
        if (why != failure) {
            failure = why;
            tellChanged();
        }
        return;
    }
    const bool recovered = outcome.fileRead && !failure.isEmpty();
    if (outcome.fileRead) {
        failure.clear();
    }
    // One worker thread and one receiver keep the outcomes in the order asked; the check
    // makes sure an earlier one never replaces a later.
    if (!outcome.rules || outcome.rules->generation() <= currentGeneration.load()) {
        if (recovered) {
            tellChanged();
        }
        return;
    }
    loaded = true;
    bytes = std::move(outcome.bytes);
    RulesDocument oldDocument = std::exchange(parsed, std::move(outcome.document));
    const quint64 newGeneration = outcome.rules->generation();
    std::shared_ptr<const RuleSet> oldRules;
    {
        const std::lock_guard lock(mutex);
        oldRules = std::exchange(rules, std::move(outcome.rules));
    }
    currentGeneration.store(newGeneration);
    // Half a million lines take a while to free as well: the worker does it.
    worker.start([oldDocument = std::move(oldDocument), oldRules = std::move(oldRules)] {});
    tellChanged();
}

void RulesStore::addChangedHandler(const void* owner, std::function<void()> handler) {
    changedHandlers.emplace_back(owner, std::move(handler));
}

void RulesStore::removeChangedHandlers(const void* owner) {
    std::erase_if(changedHandlers, [owner](const auto& entry) { return entry.first == owner; });
}

void RulesStore::tellChanged() {
    // A handler may remove handlers (a window closing): call a copy.
    const auto handlers = changedHandlers;
    for (const auto& entry : handlers) {
        entry.second();
    }
}
