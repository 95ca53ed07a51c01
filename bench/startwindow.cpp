// The program's own start-up, as main() runs it, over the program directory given on the
// command line, ending at the main window's first paint. There is no notification area,
// so the main window is shown as on a desktop without one; questions are answered OK.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <cstdio>

#include "app/appexit.h"
#include "app/appwindows.h"
#include "app/frmmain.h"
#include "core/appstate.h"
#include "core/version.h"
#include "firstpaint.h"
#include "platform/system/clock.h"
#include "platform/desktop/consoleseams.h"
#include "platform/desktop/desktopscreen.h"
#include "platform/desktop/inertshellseams.h"
#include "patrol/networkfeedservice.h"
#include "patrol/shownlists.h"
#include "ui/language.h"

int main(int argc, char* argv[]) {
    QElapsedTimer sinceStart;
    sinceStart.start();
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: qv3-bench-start PROGRAM_DIR\n");
        return 2;
    }
    QApplication::setApplicationName(QLatin1String(kApplicationTitle));
    QApplication::setQuitOnLastWindowClosed(false);
    const UiTranslation translation(QLatin1String(kSourceLanguage), {});

    const QString dir = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    SystemClock clock;
    ConsoleMessageBox messageBox{MsgResult::Ok};
    NoBrowser browser;
    DesktopScreen screen;
    AppState state(ProgramPaths{dir, dir, QStringLiteral("Quorvane3")},
                   PlatformSeams{clock, messageBox, browser, screen});
    state.useFeedService(
        std::make_unique<NetworkFeedService>(state.fetchOptions, state.seams.clock));
    useShownLists(state);
    NoTray tray(false);
    NoFileDialogs fileDialogs;
    AppExit appExit;
    AppWindows windows(state, AppSeams{tray, fileDialogs, appExit});
    // As main() does: the read starts before the main window is built.
    windows.listReadAhead().start(state.programFile(QStringLiteral("rsslist.opml")),
                                  state.fetchOptions.maxBytes);
    ExitAfterFirstPaint exitAfterPaint(windows.main(), sinceStart);
    if (!windows.main().Form_Load()) {
        std::fprintf(stderr, "another instance holds %s\n", qPrintable(dir));
        return 1;
    }
    return QApplication::exec();
}
