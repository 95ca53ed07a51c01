#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>

#include "app/appexit.h"
#include "core/appstate.h"
#include "app/appwindows.h"
#include "app/frmmain.h"
#include "core/version.h"
#include "patrol/feedservice.h"
#include "platform/clock.h"
#include "platform/desktopbrowser.h"
#include "platform/desktopscreen.h"
#include "platform/paths.h"
#include "platform/qtfiledialogs.h"
#include "platform/qtmessagebox.h"
#include "platform/systemtrayicon.h"
#include "platform/terminationsignals.h"

namespace {

// How long the end of the program waits for background work after saving.
constexpr int kExitWaitMs = 500;

// The ticker places itself on the screen, which Wayland does not let a client do; under a
// Wayland session the program runs on X (XWayland) unless told otherwise.
void preferXcbUnderWayland() {
    const bool wayland =
        qgetenv("XDG_SESSION_TYPE") == "wayland" || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (wayland && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        !qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    preferXcbUnderWayland();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QLatin1String(kApplicationTitle));
    QApplication::setApplicationVersion(versionText());
    // The program lives in the notification area; closing its last window ends nothing.
    QApplication::setQuitOnLastWindowClosed(false);
    // The program speaks Japanese whatever the locale; Qt's own dialogs and buttons too.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                          QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTranslator);
    }

    SystemClock clock;
    QtMessageBox messageBox;
    DesktopBrowser browser;
    DesktopScreen screen;
    AppState state(resolveProgramPaths(), PlatformSeams{clock, messageBox, browser, screen});

    SystemTrayIcon tray;
    QtFileDialogs fileDialogs;
    AppExit appExit;
    AppWindows windows(state, AppSeams{tray, fileDialogs, appExit});
    if (!windows.main().Form_Load()) {
        // Another instance runs.
        return 0;
    }
    // A logout or shutdown that only sends a signal saves as the exit command does.
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &windows.main(),
                     [&windows](int) { windows.main().mnuExit_Click(); });
    const int code = QApplication::exec();
    // Everything is saved by now. A worker still reading a large feed is not waited for
    // beyond this: the process ends without it.
    if (!state.feeds().shutdown(kExitWaitMs)) {
        std::fflush(nullptr);
        std::_Exit(code);
    }
    return code;
}
