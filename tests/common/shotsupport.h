#pragma once

#include <QGuiApplication>
#include <QScreen>
#include <QString>
#include <QTemporaryDir>
#include <memory>

#include "core/appstate.h"
#include "platform/system/clock.h"
#include "platform/desktop/consoleseams.h"
#include "platform/desktop/screeninfo.h"
#include "ticker/tickerhost.h"
#include "patrol/networkfeedservice.h"
#include "patrol/shownlists.h"

// A ticker host for the screenshot tools: the buttons' windows are not wanted there.
class NoTickerHost final : public TickerHost {
public:
    void openArticleList() override {}
    void closeArticleList() override {}
    void openTickerSettings() override {}
};

// The screenshot tools' program: a temporary program directory and an AppState over console
// seams, on the real screen's size. Needs a QGuiApplication.
class ShotEnvironment {
public:
    ShotEnvironment() {
        ProgramPaths paths;
        paths.programDir = programDir.path();
        paths.shareDir = programDir.path();
        paths.exeBaseName = QStringLiteral("Quorvane3");
        const QSize size = QGuiApplication::primaryScreen()->geometry().size();
        screen = std::make_unique<FixedScreen>(size.width(), size.height());
        appState =
            std::make_unique<AppState>(paths, PlatformSeams{clock, messageBox, browser, *screen});
        appState->useFeedService(
            std::make_unique<NetworkFeedService>(appState->fetchOptions, appState->seams.clock));
        useShownLists(*appState);
    }
    AppState& state() { return *appState; }

private:
    QTemporaryDir programDir;
    SystemClock clock;
    ConsoleMessageBox messageBox;
    NoBrowser browser;
    std::unique_ptr<FixedScreen> screen;
    std::unique_ptr<AppState> appState;
};
