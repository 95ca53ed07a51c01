#include "tests/common/testenv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include "core/feedservice.h"
#include "patrol/networkfeedservice.h"
#include "patrol/shownlists.h"

TestEnv::TestEnv() {
    ProgramPaths paths;
    paths.programDir = QDir::cleanPath(tempDir.path());
    paths.shareDir = paths.programDir;
    paths.exeBaseName = QStringLiteral("Quorvane3");
    appState = std::make_unique<AppState>(paths, PlatformSeams{clock, messageBox, browser, screen});
    appState->useFeedService(
        std::make_unique<NetworkFeedService>(appState->fetchOptions, appState->seams.clock));
    useShownLists(*appState);
}

QString TestEnv::path(const QString& name) const {
    return joinPath(tempDir.path(), name);
}

void TestEnv::writeFile(const QString& name, const QByteArray& bytes) const {
    appState->siteListSaver.flush();
    appState->shownStore().flush();
    const QString full = path(name);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile file(full);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(bytes);
    }
}

QByteArray TestEnv::readFile(const QString& name) const {
    appState->siteListSaver.flush();
    appState->shownStore().flush();
    QFile file(path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool TestEnv::exists(const QString& name) const {
    appState->siteListSaver.flush();
    appState->shownStore().flush();
    return QFileInfo::exists(path(name));
}

QString testDataPath(const QString& name) {
    return QStringLiteral(QV_TEST_DATA_DIR) + QLatin1Char('/') + name;
}

QByteArray readTestData(const QString& name) {
    QFile file(testDataPath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool waitForRules(const RulesStore& store, int timeoutMs) {
    return QTest::qWaitFor([&store] { return !store.busy(); }, timeoutMs);
}

bool reloadRules(RulesStore& store, int timeoutMs) {
    store.reload();
    return waitForRules(store, timeoutMs);
}

std::optional<RulesSave> saveRules(RulesStore& store, const RulesDocument& edited, int timeoutMs) {
    // Shared: a save that comes back after the wait has given up still has it.
    auto outcome = std::make_shared<std::optional<RulesSave>>();
    store.save(edited, [outcome](RulesSave saved) { *outcome = saved; });
    static_cast<void>(QTest::qWaitFor([&outcome] { return outcome->has_value(); }, timeoutMs));
    return *outcome;
}

bool waitForFetches(AppState& state, int timeoutMs) {
    return QTest::qWaitFor([&state] { return state.feeds().pendingCount() == 0; }, timeoutMs);
}
