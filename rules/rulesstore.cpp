#include "rules/rulesstore.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "platform/atomicfile.h"
#include "platform/localfile.h"

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

RulesStore::~RulesStore() = default;

void RulesStore::reload() {
    const RulesFileRead read = readRulesFile(filePath);
    if (read.status == RulesFileRead::Status::Failed) {
        const QString why =
            QCoreApplication::translate("DisplayRules", "表示ルール (%1) を読めませんでした: %2")
                .arg(filePath, read.error);
        if (why != failure) {
            failure = why;
            tellChanged();
        }
        return;
    }
    const bool recovered = !failure.isEmpty();
    failure.clear();
    // A missing file and an empty one both hold no rules; only the first read of either
    // changes what is in force.
    if (loaded && read.bytes == bytes) {
        if (recovered) {
            tellChanged();
        }
        return;
    }
    putInForce(read.bytes);
}

std::shared_ptr<const RuleSet> RulesStore::current() const {
    const std::lock_guard lock(mutex);
    return rules;
}

RulesSave RulesStore::save(const RulesDocument& edited) {
    if (!loaded || !failure.isEmpty()) {
        return RulesSave::Failed;
    }
    const QByteArray newBytes = edited.toBytes();
    if (newBytes.size() > kMaxRulesFileBytes) {
        return RulesSave::TooLarge;
    }
    // The watcher tells of a change only once it has settled: a change made just now may
    // not have been read yet, and the edit was made on what was read.
    const RulesFileRead now = readRulesFile(filePath);
    if (now.status == RulesFileRead::Status::Failed) {
        reload();
        return RulesSave::Failed;
    }
    if (now.bytes != bytes) {
        putInForce(now.bytes);
        return RulesSave::ChangedOnDisk;
    }
    if (!writeFileAtomically(filePath, newBytes, FileAccess::OwnerOnly)) {
        return RulesSave::Failed;
    }
    if (newBytes != bytes) {
        putInForce(newBytes);
    }
    return RulesSave::Saved;
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

void RulesStore::putInForce(const QByteArray& newBytes) {
    loaded = true;
    bytes = newBytes;
    std::shared_ptr<const RuleSet> compiled =
        RuleSet::compile(RulesDocument::fromBytes(bytes), ++lastGeneration);
    {
        const std::lock_guard lock(mutex);
        rules = std::move(compiled);
    }
    currentGeneration.store(lastGeneration);
    tellChanged();
}
