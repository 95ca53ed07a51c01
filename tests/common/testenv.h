#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <optional>

#include "core/appstate.h"
#include "tests/common/fakes.h"
#include "platform/desktop/screeninfo.h"
#include "rules/rulesstore.h"

// A fresh program directory in a temporary folder with an AppState over fake seams.
// Executable base name "Quorvane3"; screen 1024 × 768 pixels (15360 × 11520 twips).
// The program writes its site list in the background: the file helpers first wait for
// every write it has asked for, so a test sees the files as they end up.
class TestEnv {
public:
    TestEnv();

    AppState& state() { return *appState; }
    [[nodiscard]] QString dir() const { return tempDir.path(); }
    [[nodiscard]] QString path(const QString& name) const;
    void writeFile(const QString& name, const QByteArray& bytes) const;
    [[nodiscard]] QByteArray readFile(const QString& name) const;
    [[nodiscard]] bool exists(const QString& name) const;

    FakeClock clock;
    FakeMessageBox messageBox;
    FakeBrowser browser;
    FixedScreen screen{1024, 768};

private:
    QTemporaryDir tempDir;
    std::unique_ptr<AppState> appState;
};

// Runs the event loop until every fetch asked of state's service has been handed on, or
// timeoutMs has passed; false then.
[[nodiscard]] bool waitForFetches(AppState& state, int timeoutMs = 10000);

// Runs the event loop until every read and save asked of store has come back, or timeoutMs
// has passed; false then.
[[nodiscard]] bool waitForRules(const RulesStore& store, int timeoutMs = 10000);
// store.reload(), waited for as waitForRules does.
[[nodiscard]] bool reloadRules(RulesStore& store, int timeoutMs = 10000);
// store.save(edited), waited for; how it ended, or nothing when it did not come back.
[[nodiscard]] std::optional<RulesSave> saveRules(RulesStore& store, const RulesDocument& edited,
                                                 int timeoutMs = 10000);

// Path of a fixture file under tests/data.
[[nodiscard]] QString testDataPath(const QString& name);
[[nodiscard]] QByteArray readTestData(const QString& name);
