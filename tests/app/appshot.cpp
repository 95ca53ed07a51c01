// Starts the program over a temporary program directory holding default.xml, as a first
// start that accepts the starting list, expands the tree, selects a site and saves a PNG of
// the main window (docs/main-window.png by default). The selected site's feed is read from a
// local file, so no network is needed and the information box shows a real channel text.
//
//   appshot [--out FILE] [--about FILE] [--info FILE] [--account] [--language CODE DIR]
//           [--stay]
//     --about: also a PNG of the about box; --info: also one of the main window with an
//     empty panel and the start-up text in the information box; --account: an account's
//     folder in the tree with one of its feeds selected and the Edit menu open over it;
//     --language: the windows in that language, from the translations in DIR; --stay: the
//     windows stay up until the process is ended, for a picture of the whole screen.

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

#include "platform/desktop/consoleseams.h"
#include "app/appexit.h"
#include "core/appstate.h"
#include "app/appwindows.h"
#include "app/frmabout.h"
#include "accounts/accountsservice.h"
#include "app/frmmain.h"
#include "platform/desktop/browser.h"
#include "platform/system/clock.h"
#include "platform/desktop/desktopscreen.h"
#include "platform/desktop/inertshellseams.h"
#include "platform/modal/messagebox.h"
#include "sitepane/accounttrees.h"
#include "sitepane/propertiespanel.h"
#include "sitepane/sitelistpane.h"
#include "sitepane/sitetreeview.h"
#include "patrol/networkfeedservice.h"
#include "patrol/shownlists.h"
#include "ui/language.h"

namespace {

const char kChannel[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<rss version="2.0"><channel>
  <title>ITmedia NEWS</title>
  <link>https://www.itmedia.co.jp/news/</link>
  <description>IT関連の最新ニュースをお届けします</description>
</channel></rss>
)";

// One account with no server behind it, keeping feed 12 out of the ticker.
class ShotAccounts final : public AccountsService {
public:
    [[nodiscard]] QList<AccountSettings> accounts() const override {
        AccountSettings settings;
        settings.number = 1;
        settings.type = QStringLiteral("ttrss");
        settings.user = QStringLiteral("alice");
        settings.url = QStringLiteral("https://rss.example.org/");
        return {settings};
    }
    [[nodiscard]] Status status(int) const override { return {}; }
    [[nodiscard]] AccountClient* client(int) const override { return nullptr; }
    void reload() override {}
    [[nodiscard]] std::optional<bool> feedInTicker(int, const QString& feedId) const override {
        return feedId != QLatin1String("12");
    }
};

bool copyFile(const QString& from, const QString& to) {
    QFile::remove(to);
    return QFile::copy(from, to);
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("PNG to write."),
                                 QStringLiteral("file"),
                                 QStringLiteral(QV_SOURCE_DIR "/docs/main-window.png"));
    const QCommandLineOption about(QStringLiteral("about"),
                                   QStringLiteral("PNG of the about box to write as well."),
                                   QStringLiteral("file"));
    const QCommandLineOption info(
        QStringLiteral("info"),
        QStringLiteral("PNG of the main window with the start-up text to write as well."),
        QStringLiteral("file"));
    const QCommandLineOption account(QStringLiteral("account"),
                                     QStringLiteral("Show an account's folder and the Edit menu."));
    const QCommandLineOption language(QStringLiteral("language"),
                                      QStringLiteral("Language code of the windows."),
                                      QStringLiteral("code"));
    const QCommandLineOption translations(QStringLiteral("translations"),
                                          QStringLiteral("Folder of the translations."),
                                          QStringLiteral("dir"));
    const QCommandLineOption stay(QStringLiteral("stay"),
                                  QStringLiteral("Keep the windows up until ended."));
    parser.addOptions({out, about, info, account, language, translations, stay});
    parser.process(app);
    const UiTranslation translation(parser.value(language), {parser.value(translations)});

    QTemporaryDir programDir(QDir::tempPath() + QStringLiteral("/Quorvane3-XXXXXX"));
    ProgramPaths paths;
    paths.programDir = programDir.path();
    paths.shareDir = programDir.path();
    paths.exeBaseName = QStringLiteral("Quorvane3");
    if (!copyFile(QStringLiteral(QV_SOURCE_DIR "/resources/default.xml"),
                  programDir.filePath(QStringLiteral("default.xml")))) {
        std::fprintf(stderr, "appshot: cannot copy default.xml\n");
        return 1;
    }
    const QString feedPath = programDir.filePath(QStringLiteral("itmedia-news.xml"));
    QFile feed(feedPath);
    if (!feed.open(QIODevice::WriteOnly) || feed.write(kChannel) < 0) {
        return 1;
    }
    feed.close();

    SystemClock clock;
    // Accepts the starting list; anything else is printed.
    ConsoleMessageBox messageBox{MsgResult::Ok};
    NoBrowser browser;
    DesktopScreen screen;
    AppState state(paths, PlatformSeams{clock, messageBox, browser, screen});
    state.useFeedService(
        std::make_unique<NetworkFeedService>(state.fetchOptions, state.seams.clock));
    useShownLists(state);
    NoTray tray(true);
    NoFileDialogs fileDialogs;
    AppExit appExit;
    AppWindows windows(state, AppSeams{tray, fileDialogs, appExit});
    frmMain& main = windows.main();
    if (!main.Form_Load()) {
        return 1;
    }
    main.tmrLoad.stop();

    // The fourth entry is the first site of the second folder.
    SiteListPane& pane = *main.pane;
    pane.trvOPML->expandAll();
    SiteTree::Node* site = state.siteTree.find(QStringLiteral("R5"));
    if (site == nullptr) {
        std::fprintf(stderr, "appshot: default.xml has no entry R5\n");
        return 1;
    }
    state.SiteTable[5].strXmlUrl = feedPath;
    pane.trvOPML->selectNode(site);
    pane.properties->trvOPML_NodeClick();
    if (parser.isSet(account)) {
        AccountFolder tree;
        AccountFolder tech;
        tech.id = QStringLiteral("7");
        tech.title = QStringLiteral("テクノロジー");
        for (const auto& [id, title] : {std::pair{"12", "Hacker News"}, {"13", "LWN.net"}}) {
            AccountFeed serverFeed;
            serverFeed.id = QLatin1String(id);
            serverFeed.title = QLatin1String(title);
            serverFeed.feedUrl = QStringLiteral("https://rss.example.org/feeds/%1.xml").arg(id);
            serverFeed.unread = 42;
            tech.feeds << serverFeed;
        }
        tree.folders << tech;
        static ShotAccounts accounts;
        pane.useAccounts(&accounts);
        pane.accounts->show(1, QStringLiteral("alice@rss.example.org"), tree);
        // The folder is built on a worker.
        while (pane.accounts->isReading()) {
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        pane.trvOPML->collapseAll();
        pane.trvOPML->expand(pane.trvOPML->indexOf(state.siteTree.find(QStringLiteral("A1"))));
        site = state.siteTree.find(QStringLiteral("A1/f/12"));
        pane.trvOPML->selectNode(site);
        pane.properties->trvOPML_NodeClick();
    }
    main.SetStatus(QStringLiteral("完了"));
    main.show();
    main.activateWindow();
    pane.trvOPML->setFocus();
    for (int i = 0; i < 10; ++i) {
        QApplication::processEvents();
    }

    const QString file = parser.value(out);
    if (!main.grab().save(file)) {
        std::fprintf(stderr, "appshot: cannot write %s\n", qPrintable(file));
        return 1;
    }
    std::printf("Wrote %s\n", qPrintable(file));

    if (parser.isSet(info)) {
        // What a start without a list shows: nothing selected, the start-up text.
        pane.clearPanel();
        pane.properties->setCommentText(main.infoText());
        QApplication::processEvents();
        const QString infoFile = parser.value(info);
        if (!main.grab().save(infoFile)) {
            std::fprintf(stderr, "appshot: cannot write %s\n", qPrintable(infoFile));
            return 1;
        }
        std::printf("Wrote %s\n", qPrintable(infoFile));
    }

    if (parser.isSet(about)) {
        windows.openAbout();
        QApplication::processEvents();
        const QString aboutFile = parser.value(about);
        if (!windows.about().grab().save(aboutFile)) {
            std::fprintf(stderr, "appshot: cannot write %s\n", qPrintable(aboutFile));
            return 1;
        }
        std::printf("Wrote %s\n", qPrintable(aboutFile));
    }
    if (parser.isSet(stay)) {
        if (parser.isSet(account)) {
            main.popupEditMenu(main.mapToGlobal(QPoint(120, 120)));
        }
        return QApplication::exec();
    }
    return 0;
}
