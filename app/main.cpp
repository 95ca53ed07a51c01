#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "app/appexit.h"
#include "core/appstate.h"
#include "app/appwindows.h"
#include "app/frmmain.h"
#include "core/version.h"
#include "platform/clock.h"
#include "platform/desktopbrowser.h"
#include "platform/desktopscreen.h"
#include "platform/displayserver.h"
#include "platform/paths.h"
#include "platform/qtfiledialogs.h"
#include "platform/qtmessagebox.h"
#include "platform/systemtrayicon.h"
#include "platform/terminationsignals.h"

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
    return QApplication::exec();
}
