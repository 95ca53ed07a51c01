#pragma once

#include <QList>
#include <QString>
#include <memory>

#include "core/articlerecord.h"
#include "core/feedservice.h"
#include "platform/net/fetchoptions.h"
#include "platform/files/paths.h"
#include "core/settings.h"
#include "core/sitelistsaver.h"
#include "core/siterow.h"
#include "core/sitetree.h"

class ArticleSource;
class Browser;
class Clock;
class MessageBoxSeam;
class RulesStore;
class ScreenInfo;
class ShownStore;
class SpeechEngine;

// The seams to the platform that the application state hands to every part.
struct PlatformSeams {
    Clock& clock;
    MessageBoxSeam& messageBox;
    Browser& browser;
    ScreenInfo& screen;
};

// The state the whole program shares: the settings record, the site table and tree, the
// news queue and the article list. Created once by the application (or by a test) and
// handed by reference to every window.
struct AppState {
    AppState(const ProgramPaths& programPaths, const PlatformSeams& platformSeams);
    ~AppState();
    AppState(const AppState&) = delete;
    AppState& operator=(const AppState&) = delete;

    ProgramPaths paths;
    PlatformSeams seams;
    FetchOptions fetchOptions;

    Settings settings;

    SiteRowArray SiteTable;
    // The folders and sites as a tree: the model that the main window's tree widget
    // (trvOPML) shows.
    SiteTree siteTree;
    // True while SiteTable holds rows made by a load or by the editor.
    bool blnSiteListFlg = false;
    // The entry the new-site dialog is preparing.
    SiteRow NewSiteRow;
    // Writes rsslist.opml off the user-interface thread; flush() before anything that must
    // find the list on disk (the exit).
    SiteListSaver siteListSaver;

    ArticleArray NewsQueue;
    ArticleArray ListArticles;

    // Asked at every patrol, told when an article is opened or shown: the site walk first,
    // while the patrol window that adds it lives, then the accounts (their owner outlives it).
    QList<ArticleSource*> articleSources;

    // The new-site dialog opens with a clean pending row.
    void ClearNewSiteRow() {
        NewSiteRow.intKind = 2;
        NewSiteRow.blnDeleted = false;
        NewSiteRow.strTitle.clear();
        NewSiteRow.strHtmlUrl.clear();
    }

    [[nodiscard]] QString programFile(const QString& name) const {
        return joinPath(paths.programDir, name);
    }
    [[nodiscard]] const QString& exeBaseName() const { return paths.exeBaseName; }

    // Fetches feeds off the UI thread. Whoever builds the state gives it one (the program
    // and the tests the network service, a test its fake) before a window can fetch.
    [[nodiscard]] FeedFetchService& feeds();
    void useFeedService(std::unique_ptr<FeedFetchService> service);

    // The display rules in force, from rules.txt beside config.ini. Holds no rules until
    // its first reload(); the program reads the file before the first patrol and follows it.
    [[nodiscard]] RulesStore& rulesStore() { return *rules; }
    [[nodiscard]] const RulesStore& rulesStore() const { return *rules; }

    // What the ticker has shown. Whoever builds the state gives it one (the program the
    // shown-list files) before a patrol or the ticker runs; flush() it before the exit.
    [[nodiscard]] ShownStore& shownStore();
    void useShownStore(std::unique_ptr<ShownStore> store);

    // Reads headlines aloud. One that cannot speak until the program gives the desktop's
    // (makeSpeechEngine) or a test its fake.
    [[nodiscard]] SpeechEngine& speech() { return *speechEngine; }
    void useSpeechEngine(std::unique_ptr<SpeechEngine> engine);

private:
    std::unique_ptr<FeedFetchService> feedService;
    std::unique_ptr<RulesStore> rules;
    std::unique_ptr<ShownStore> shown;
    std::unique_ptr<SpeechEngine> speechEngine;
};
