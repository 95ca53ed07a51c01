#include <QApplication>
#include <QDeadlineTimer>
#include <QDebug>
#include <QDir>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "accounts/accountsruntime.h"
#include "accounts/secretstores.h"
#include "app/appexit.h"
#include "app/appwindows.h"
#include "app/frmmain.h"
#include "app/handover.h"
#include "core/appstate.h"
#include "core/openrequest.h"
#include "core/version.h"
#include "core/feedservice.h"
#include "dialogs/accountsdialog.h"
#include "icons/iconcache.h"
#include "icons/iconservice.h"
#include "platform/system/clock.h"
#include "platform/desktop/desktopbrowser.h"
#include "platform/desktop/desktopscreen.h"
#include "platform/x11/displayserver.h"
#include "platform/files/filewatcher.h"
#include "platform/system/instancechannel.h"
#include "platform/files/paths.h"
#include "platform/modal/qtfiledialogs.h"
#include "platform/modal/qtmessagebox.h"
#include "platform/speech/speechengine.h"
#include "platform/desktop/systemtrayicon.h"
#include "platform/system/terminationsignals.h"
#include "platform/system/workerpool.h"
#include "rules/rulesstore.h"
#include "ui/language.h"
#include "ui/siteicons.h"
#include "patrol/networkfeedservice.h"
#include "patrol/shownlists.h"

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

// Says why the per-user folder is not used, and ends once the box is closed. Nothing is read
// from it or written to it: not even the instance lock.
int refuseProgramDir(const ProgramPaths& paths, MessageBoxSeam& messageBox) {
    const QString dir = QDir::toNativeSeparators(paths.programDir);
    QString why;
    switch (paths.programDirTrust) {
        case ProgramPaths::Trust::OtherOwner:
            why = QCoreApplication::translate(
                      "Startup",
                      "データを保存するフォルダ「%1」は、ほかのユーザーのものです。"
                      "そのフォルダにある設定やサイト一覧は使わずに終了します。"
                      "フォルダを確かめてから起動し直してください。")
                      .arg(dir);
            break;
        case ProgramPaths::Trust::WritableByOthers:
            why = QCoreApplication::translate(
                      "Startup",
                      "データを保存するフォルダ「%1」には、ほかのユーザーも書き込めます。"
                      "そのフォルダにある設定やサイト一覧は使わずに終了します。"
                      "中身を確かめ、自分だけが使えるようにしてから（chmod 700）"
                      "起動し直してください。")
                      .arg(dir);
            break;
        case ProgramPaths::Trust::Private:
            return 0;
    }
    qWarning().noquote() << QStringLiteral("Quorvane3: ") + why;
    messageBox.ask(why, paths.exeBaseName, MsgButtons::Ok, MsgIcon::Warning,
                   [](MsgResult) { QCoreApplication::exit(1); });
    return QApplication::exec();
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
    const ProgramPaths paths = resolveProgramPaths();
    if (paths.programDirTrust != ProgramPaths::Trust::Private) {
        return refuseProgramDir(paths, messageBox);
    }
    AppState state(paths, PlatformSeams{clock, messageBox, browser, screen});
    auto feedService = std::make_unique<NetworkFeedService>(state.fetchOptions, state.seams.clock);
    // Sites' icons share the feeds' network thread; they go before it at exit.
    IconService iconService(feedService->httpClient(), iconCacheFolder(), state.seams.clock);
    HttpClient& http = feedService->httpClient();
    SiteIcons siteIcons(iconService, state.settings);
    // Accounts' requests share the feeds' network thread too; their answers are read on
    // threads of their own.
    // Accounts' passwords: the desktop's keyring, or secrets.ini where the user chose it.
    const std::unique_ptr<SecretStore> secrets = makeSecretStore(state.paths.programDir);
    AccountsRuntime accounts(state.paths.programDir, *secrets, feedService->httpClient(),
                             state.fetchOptions);
    state.articleSources.append(&accounts);
    state.useFeedService(std::move(feedService));
    useShownLists(state);
    state.useSpeechEngine(makeSpeechEngine());

    SystemTrayIcon tray;
    QtFileDialogs fileDialogs;
    AppExit appExit;
    WorkerPool accountWorkers(1);
    const AccountsDialogSeams accountSeams{state.paths.programDir, *secrets,           http,
                                           accountWorkers,         state.fetchOptions, messageBox,
                                           state.exeBaseName(),    &accounts};
    AppWindows windows(state, AppSeams{tray, fileDialogs, appExit, &siteIcons, &accountSeams});
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
    // accounts.ini is read beside the first patrol, which its accounts join.
    accounts.reload();

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
    // Everything is saved by now. A worker still reading a large feed, or a speech server
    // that does not answer, is not waited for beyond this: the process ends without them.
    // The speech thread ends while the feeds do.
    const QDeadlineTimer exitDeadline(kExitWaitMs);
    static_cast<void>(state.speech().shutdown(0));
    const bool accountsEnded = accounts.shutdown(int(exitDeadline.remainingTime()));
    const bool feedsEnded = state.feeds().shutdown(kExitWaitMs);
    const bool speechEnded = state.speech().shutdown(int(exitDeadline.remainingTime()));
    if (!feedsEnded || !speechEnded || !accountsEnded) {
        // Only the program's own streams: fflush(nullptr) would wait for every stream's lock,
        // and speech-dispatcher's client holds its socket stream's while it reads.
        std::fflush(stdout);
        std::fflush(stderr);
        std::_Exit(code);
    }
    return code;
}
