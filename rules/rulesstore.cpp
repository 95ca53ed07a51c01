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
            if (changed) {
                changed();
            }
        }
        return;
    }
    const bool recovered = !failure.isEmpty();
    failure.clear();
    // A missing file and an empty one both hold no rules; only the first read of either
    // changes what is in force.
    if (loaded && read.bytes == bytes) {
        if (recovered && changed) {
            changed();
        }
        return;
    }
    putInForce(read.bytes);
}

std::shared_ptr<const RuleSet> RulesStore::current() const {
    const std::lock_guard lock(mutex);
    return rules;
}

bool RulesStore::save(const RulesDocument& edited) {
    if (!loaded || !failure.isEmpty()) {
        return false;
    }
    const QByteArray newBytes = edited.toBytes();
    if (!writeFileAtomically(filePath, newBytes, FileAccess::OwnerOnly)) {
        return false;
    }
    if (newBytes != bytes) {
        putInForce(newBytes);
    }
    return true;
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
    if (changed) {
        changed();
    }
}
