#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QIcon>
#include <QList>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "accounts/filesecretstore.h"
#include "app/appexit.h"
#include "app/appwindows.h"
#include "app/frmmain.h"
#include "dialogs/accountsdialog.h"
#include "platform/net/httpclient.h"
#include "tests/common/testenv.h"
#include "platform/modal/filedialogs.h"
#include "tests/platform/qstringprinter.h"
#include "platform/desktop/trayicon.h"

// A notification area that records what was put up; tests make the gestures by emitting its
// signals, and make it appear or go with setAvailable.
class FakeTray final : public TrayIcon {
public:
    [[nodiscard]] bool isSystemTrayAvailable() const override { return available; }
    void add(const QIcon& image, const QString& tip) override {
        added = true;
        icon = image;
        toolTip = tip;
        ++addCount;
    }
    void remove() override { added = false; }
    [[nodiscard]] bool isAdded() const override { return added; }
    void setAvailable(bool now) {
        available = now;
        Q_EMIT availabilityChanged(now);
    }

    bool available = true;
    bool added = false;
    int addCount = 0;
    QIcon icon;
    QString toolTip;
};

// File dialogs answered by the test: each call takes the next answer ("" = cancelled).
class FakeFileDialogs final : public FileDialogs {
public:
    void openFileName(QWidget*, const QString& filter, Chosen chosen) override {
        filters.append(filter);
        ++opens;
        chosen(answers.isEmpty() ? QString() : answers.takeFirst());
    }
    void saveFileName(QWidget*, const QString& filter, Chosen chosen) override {
        filters.append(filter);
        ++saves;
        chosen(answers.isEmpty() ? QString() : answers.takeFirst());
    }
    QStringList answers;
    QStringList filters;
    int opens = 0;
    int saves = 0;
};

// Records the exit instead of ending the test process; onExit sees the moment of exit.
class FakeAppExit final : public AppExit {
public:
    void exitNow() override {
        ++exits;
        if (onExit) {
            onExit();
        }
    }
    int exits = 0;
    std::function<void()> onExit;
};

// A folder with two sites, then a top-level site. No entry has a homepage, so selecting one
// never fetches anything.
inline const QByteArray kTwoLevelList = R"(<?xml version="1.0" encoding="utf-8"?>
<opml version="1.1"><head/><body>
  <outline text="ニュース">
    <outline text="Site A" htmlUrl="" xmlUrl="http://127.0.0.1:9/a.xml"/>
    <outline text="Site B" htmlUrl="" xmlUrl="http://127.0.0.1:9/b.xml"/>
  </outline>
  <outline text="Site C" htmlUrl="" xmlUrl="http://127.0.0.1:9/c.xml"/>
</body></opml>
)";

inline const QByteArray kEmptyList = R"(<?xml version="1.0" encoding="utf-8"?>
<opml version="1.1"><head/><body/></opml>
)";

// A later start: config.ini with OPML_PATH set and the given extra lines.
inline QByteArray laterStartConfig(const QByteArray& extraLines = {}) {
    return "[Quorvane3]\r\nOPML_PATH=/somewhere/default.xml\r\n" + extraLines;
}

// The whole program over a TestEnv: a registry with fake tray, file dialogs and exit.
class AppTest : public ::testing::Test {
protected:
    AppTest() {
        windows = std::make_unique<AppWindows>(
            env.state(), AppSeams{tray, fileDialogs, appExit, nullptr, &accountSeams});
    }

    AppState& state() { return env.state(); }
    frmMain& main() { return windows->main(); }
    bool start() { return main().Form_Load(); }

    // Titles of the tree's nodes in collection order.
    QStringList treeTitles() {
        QStringList titles;
        for (int i = 1; i <= state().siteTree.nodeCount(); ++i) {
            titles.append(state().siteTree.nodeAt(i)->text);
        }
        return titles;
    }
    QStringList configLines() {
        return QString::fromUtf8(env.readFile(QStringLiteral("config.ini")))
            .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }

    TestEnv env;
    FakeTray tray;
    FakeFileDialogs fileDialogs;
    FakeAppExit appExit;
    // The accounts dialog's: passwords in the test's own folder, never the desktop's keyring.
    HttpClient accountHttp;
    WorkerPool accountWorkers{1};
    FileSecretStore accountSecrets{env.state().paths.programDir};
    AccountsDialogSeams accountSeams{env.state().paths.programDir,
                                     accountSecrets,
                                     accountHttp,
                                     accountWorkers,
                                     env.state().fetchOptions,
                                     env.state().seams.messageBox,
                                     env.state().exeBaseName(),
                                     nullptr};
    std::unique_ptr<AppWindows> windows;
};
