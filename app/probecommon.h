#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "core/appstate.h"
#include "platform/desktop/consoleseams.h"
#include "platform/system/clock.h"
#include "platform/modal/messagebox.h"
#include "platform/desktop/screeninfo.h"

// Exit codes of qv3probe.
inline constexpr int kProbeOk = 0;
inline constexpr int kProbeFailed = 1;
inline constexpr int kProbeUsage = 2;

// Without a display the probe takes the screen as 1024 × 768 pixels.
class ProbeEnvironment {
public:
    // programDir and exeBaseName as the command gives them.
    ProbeEnvironment(const QString& programDir, const QString& exeBaseName);
    [[nodiscard]] AppState& state() { return *appState; }

private:
    SystemClock clock;
    ConsoleMessageBox messageBox;
    NoBrowser browser;
    FixedScreen screen{1024, 768};
    std::unique_ptr<AppState> appState;
};

// One record a line, fields separated by TAB, UTF-8. Tabs and line breaks inside a field
// are printed as the two characters \t and \n (a CR as \r).
void printRecord(const QStringList& fields);
// The items of the feed at url (a URL or a file), fetched and read as the patrol fetches and
// reads them. False, with the reason on stderr, when it yields none.
[[nodiscard]] bool fetchProbeFeed(const QString& url, QList<ArticleRecord>& articles);
// A usage text on stderr; returns kProbeUsage.
int printUsage(const QString& text);

// The commands, one file each.
int probeOpml(const QStringList& args);
int probeOpmlResave(const QStringList& args);
int probeSettings(const QStringList& args);
int probeFeed(const QStringList& args);
int probeDiscover(const QStringList& args);
int probeDate(const QStringList& args);
int probeMd5(const QStringList& args);
int probeRules(const QStringList& args);
int probeAccount(const QStringList& args);
