#include <QApplication>
#include <QDebug>
#include <QDir>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/appexit.h"
#include "app/appwindows.h"
#include "app/frmmain.h"
#include "app/handover.h"
#include "core/appstate.h"
#include "core/openrequest.h"
#include "core/version.h"
#include "core/feedservice.h"
#include "icons/iconcache.h"
#include "icons/iconservice.h"
#include "platform/clock.h"
#include "platform/desktopbrowser.h"
#include "platform/desktopscreen.h"
#include "platform/displayserver.h"
#include "platform/filewatcher.h"
#include "platform/instancechannel.h"
#include "platform/paths.h"
#include "platform/qtfiledialogs.h"
#include "platform/qtmessagebox.h"
#include "platform/speechengine.h"
#include "platform/systemtrayicon.h"
#include "platform/terminationsignals.h"
#include "rules/rulesstore.h"
#include "ui/language.h"
#include "ui/siteicons.h"
#include "patrol/networkfeedservice.h"

namespace {

// How long the end of the program waits for background work after saving.
constexpr int kExitWaitMs = 500;

// The name of the desktop entry and the icon: the desktop (and a Wayland compositor)
// matches the windows to them by it.
constexpr char kDesktopFileName[] = "jp.example.quorvane.quorvane3";
// How long a second start tries to reach the running instance.
constexpr int kHandOverTimeoutMs = 5000;

// The arguments in the instance channel's form; refused ones are logged and dropped.
QList<QByteArray> handOverLines(const QStringList& arguments) {
    QList<QByteArray> lines;
    const QString workingDir = QDir::currentPath();
    for (const QString& argument : arguments) {
        const OpenRequest request = interpretArgument(argument, workingDir);
        if (request.kind == OpenRequest::Kind::Refused) {
            qWarning().noquote() << refusalLogText(argument, request);
        } else {
            lines.append(request.handOverLine());
        }
    }
    return lines;
}

// A second start's requests go to the running instance, or are dropped with a line that
// says why.
void handOverToRunningInstance(const InstanceChannelPlace& place, const QList<QByteArray>& lines) {
    QString why = place.why;
    if (!place.name.isEmpty()) {
        switch (sendToRunningInstance(place.name, lines, kHandOverTimeoutMs, currentUserId())) {
            case HandOverOutcome::Delivered:
                return;
            case HandOverOutcome::NoAnswer:
                why = QStringLiteral("the running instance did not answer");
                break;
            case HandOverOutcome::ForeignListener:
                why = QStringLiteral("%1 is held by another user").arg(place.name);
                break;
        }
    }
    qWarning().noquote() << QStringLiteral("Quorvane3: %1; nothing was handed over").arg(why);
}

}  // namespace

int main(int argc, char* argv[]) {
    preferXcbUnderWayland();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QLatin1String(kApplicationTitle));
    QApplication::setApplicationVersion(versionText());
    QGuiApplication::setDesktopFileName(QLatin1String(kDesktopFileName));
    // The program lives in the notification area; closing its last window ends nothing.
    QApplication::setQuitOnLastWindowClosed(false);
    // The windows speak the user's language when the program has it, Japanese otherwise;
    // Qt's own dialogs and buttons too.
    const QStringList translations = translationFolders();
    const UiTranslation translation(systemUiLanguage(translations), translations);

    // Feeds and site lists named on the command line (a browser's feed: link, a file).
    const QList<QByteArray> requests = handOverLines(QApplication::arguments().mid(1));

    SystemClock clock;
    QtMessageBox messageBox;
    DesktopBrowser browser;
    DesktopScreen screen;
    AppState state(resolveProgramPaths(), PlatformSeams{clock, messageBox, browser, screen});
    auto feedService = std::make_unique<NetworkFeedService>(state.fetchOptions, state.seams.clock);
    // Sites' icons share the feeds' network thread; they go before it at exit.
    IconService iconService(feedService->httpClient(), iconCacheFolder(), state.seams.clock);
    SiteIcons siteIcons(iconService, state.settings);
    state.useFeedService(std::move(feedService));
    state.useSpeechEngine(makeSpeechEngine());

    SystemTrayIcon tray;
    QtFileDialogs fileDialogs;
    AppExit appExit;
    AppWindows windows(state, AppSeams{tray, fileDialogs, appExit, &siteIcons});
    const InstanceChannelPlace channelPlace = instanceChannelPlace(state.paths.programDir);
    if (!windows.instanceLock().tryLock()) {
        // Another instance runs: it gets the requests, or, without any, is asked to show its
        // main window, since a user who starts the program again expects to see it.
        handOverToRunningInstance(
            channelPlace, requests.isEmpty() ? QList<QByteArray>{HandOver::kShowLine} : requests);
        return 0;
    }

    // From here on a second start can hand its requests over; they wait until start-up
    // has finished.
    HandOver handOver(windows);
    std::unique_ptr<InstanceChannelServer> channel;
    if (channelPlace.name.isEmpty()) {
        qWarning().noquote() << QStringLiteral("Quorvane3: no hand-over from later starts: ") +
                                    channelPlace.why;
    } else {
        channel = std::make_unique<InstanceChannelServer>(channelPlace.name);
        QObject::connect(channel.get(), &InstanceChannelServer::linesReceived, &handOver,
                         &HandOver::receive);
        if (!channel->listen()) {
            qWarning().noquote() << QStringLiteral("Quorvane3: no hand-over from later starts: ") +
                                        channel->errorString();
        }
    }
    handOver.receive(requests);

    // Boxes open over the main window while it is shown.
    messageBox.setHomeWindow(&windows.main());

    // The display rules are in force before the first patrol, and followed on disk from now on.
    state.rulesStore().watch(std::make_unique<QtFileWatcher>());
    state.rulesStore().reload();

    // Read the working list while the main window is built; Form_Load takes it.
    windows.listReadAhead().start(state.programFile(QStringLiteral("rsslist.opml")),
                                  state.fetchOptions.maxBytes);
    // Requests are acted on once start-up has ended (a first start asks a question first).
    QObject::connect(&windows.main(), &frmMain::startUpFinished, &handOver, &HandOver::start);
    if (!windows.main().Form_Load()) {
        return 0;
    }
    // A logout or shutdown that only sends a signal saves as the exit command does, and
    // ends without waiting for an answer.
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &windows.main(),
                     [&windows](int) { windows.main().exitAtOnce(); });
    const int code = QApplication::exec();
    // Everything is saved by now. A worker still reading a large feed is not waited for
    // beyond this: the process ends without it.
    if (!state.feeds().shutdown(kExitWaitMs)) {
        std::fflush(nullptr);
        std::_Exit(code);
    }
    return code;
}
