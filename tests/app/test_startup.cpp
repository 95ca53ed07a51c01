#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QLockFile>
#include <QPlainTextEdit>
#include <QLineEdit>
#include <QProcess>
#include <QProxyStyle>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyleFactory>
#include <QTextBlock>
#include <QTextLayout>
#include <QSpontaneKeyEvent>
#include <QSysInfo>
#include <QTest>
#include <sys/inotify.h>
#include <unistd.h>

#include "core/appstate.h"
#include "app/appwindows.h"
#include "app/frmmain.h"
#include "tests/app/appfixture.h"
#include "patrol/frmtask.h"
#include "sitelist/opmlreader.h"
#include "sitepane/propertiespanel.h"
#include "sitepane/sitelistpane.h"
#include "sitepane/sitetreeeditor.h"
#include "ticker/frmticker.h"

namespace {

const QString kQuestion =
    QStringLiteral("デフォルトのOPMLファイルを読み込みます。\r\nよろしいですか。");

const QByteArray kWorkingList = R"(<?xml version="1.0" encoding="utf-8"?>
<opml version="1.1"><head/><body>
  <outline text="Working" htmlUrl="" xmlUrl="http://127.0.0.1:9/w.xml"/>
</body></opml>
)";

// A close request as the window system delivers it from the close box.
void userClose(QWidget& window) {
    QCloseEvent event;
    QSpontaneKeyEvent::setSpontaneous(&event);
    QCoreApplication::instance()->notify(&window, &event);
}

// The names of the files a directory saw finished (written and closed, or renamed into
// place), in order; QSaveFile's temporary names are left out.
class FinishedFiles {
public:
    explicit FinishedFiles(const QString& dir) {
        fd = inotify_init1(IN_NONBLOCK);
        inotify_add_watch(fd, QFile::encodeName(dir).constData(), IN_CLOSE_WRITE | IN_MOVED_TO);
    }
    ~FinishedFiles() { close(fd); }
    FinishedFiles(const FinishedFiles&) = delete;
    FinishedFiles& operator=(const FinishedFiles&) = delete;

    QStringList names(const QStringList& wanted) {
        QStringList seen;
        alignas(inotify_event) char buffer[8192];
        ssize_t length = 0;
        while ((length = read(fd, buffer, sizeof buffer)) > 0) {
            for (char* p = buffer; p < buffer + length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(p);
                const QString name = event->len > 0 ? QString::fromUtf8(event->name) : QString();
                if (wanted.contains(name) && (seen.isEmpty() || seen.last() != name)) {
                    seen.append(name);
                }
                p += sizeof(inotify_event) + event->len;
            }
        }
        return seen;
    }

private:
    int fd = -1;
};

using StartUpTest = AppTest;

TEST_F(StartUpTest, FirstStartAcceptedLoadsTheStartingListAndShowsTheWindow) {
    env.writeFile(QStringLiteral("default.xml"), kTwoLevelList);
    env.writeFile(QStringLiteral("rsslist.opml"), kWorkingList);
    // The working list read ahead is not the list this start loads.
    windows->listReadAhead().start(env.path(QStringLiteral("rsslist.opml")),
                                   state().fetchOptions.maxBytes);

    // Start-up waits for the answer without a loop of its own, and goes on with it.
    env.messageBox.holdAnswers = true;
    QSignalSpy finished(&main(), &frmMain::startUpFinished);
    ASSERT_TRUE(start());
    EXPECT_EQ(finished.count(), 0);
    EXPECT_EQ(state().siteTree.nodeCount(), 0);
    EXPECT_FALSE(main().tmrLoad.isActive());
    env.messageBox.answerHeld(MsgResult::Ok);
    EXPECT_EQ(finished.count(), 1);

    ASSERT_EQ(env.messageBox.shown.size(), 1);
    EXPECT_EQ(env.messageBox.shown[0].text, kQuestion);
    EXPECT_EQ(env.messageBox.shown[0].title, QStringLiteral("Quorvane3"));
    EXPECT_EQ(env.messageBox.shown[0].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(env.messageBox.shown[0].icon, MsgIcon::Question);
    // default.xml wins over the working list; its first entry is shown.
    EXPECT_EQ(treeTitles(), QStringList({QStringLiteral("ニュース"), QStringLiteral("Site A"),
                                         QStringLiteral("Site B"), QStringLiteral("Site C")}));
    EXPECT_EQ(main().pane->properties->intCurrentIndex, 0);
    EXPECT_EQ(main().pane->properties->txtTitle->text(), QStringLiteral("ニュース"));
    EXPECT_TRUE(main().pane->properties->commentText().isEmpty());
    EXPECT_EQ(state().settings.OPML_PATH, env.path(QStringLiteral("default.xml")));
    EXPECT_TRUE(main().isVisible());
    EXPECT_TRUE(tray.added);
    EXPECT_EQ(tray.toolTip, QStringLiteral("Quorvane3"));
    ASSERT_NE(windows->tickerIfLoaded(), nullptr);
    EXPECT_TRUE(windows->tickerIfLoaded()->isShowing());
    // The patrol waits for tmrLoad.
    EXPECT_EQ(windows->taskIfLoaded(), nullptr);
    EXPECT_TRUE(main().tmrLoad.isActive());
    EXPECT_TRUE(main().tmrLoad.isSingleShot());
    EXPECT_EQ(main().tmrLoad.interval(), 1000);

    main().mnuExit->trigger();
    EXPECT_TRUE(configLines().contains(QStringLiteral("OPML_PATH=") +
                                       env.path(QStringLiteral("default.xml"))));
    EXPECT_TRUE(env.readFile(QStringLiteral("rsslist.opml")).contains("Site B"));
}

TEST_F(StartUpTest, ExitWhileTheFirstQuestionIsOpenWritesNothing) {
    env.writeFile(QStringLiteral("default.xml"), kTwoLevelList);
    env.writeFile(QStringLiteral("rsslist.opml"), kWorkingList);
    env.messageBox.holdAnswers = true;
    ASSERT_TRUE(start());
    main().mnuExit_Click();  // as a logout or a termination signal does
    EXPECT_EQ(appExit.exits, 1);
    EXPECT_EQ(env.readFile(QStringLiteral("rsslist.opml")), kWorkingList);
    EXPECT_FALSE(env.exists(QStringLiteral("config.ini")));
}

TEST_F(StartUpTest, FirstStartDeclinedKeepsTheWorkingListAndAsksAgainNextTime) {
    env.writeFile(QStringLiteral("default.xml"), kTwoLevelList);
    env.writeFile(QStringLiteral("rsslist.opml"), kWorkingList);
    env.messageBox.defaultAnswer = MsgResult::Cancel;

    ASSERT_TRUE(start());
    EXPECT_EQ(treeTitles(), QStringList{QStringLiteral("Working")});
    EXPECT_FALSE(main().isVisible());
    main().mnuExit->trigger();
    EXPECT_TRUE(configLines().contains(QStringLiteral("OPML_PATH=")));

    // The next run (the lock went with the first) asks again.
    windows = std::make_unique<AppWindows>(env.state(), AppSeams{tray, fileDialogs, appExit});
    ASSERT_TRUE(start());
    ASSERT_EQ(env.messageBox.shown.size(), 2);
    EXPECT_EQ(env.messageBox.shown[1].text, kQuestion);
}

TEST_F(StartUpTest, LaterStartAsksNothingAndFollowsTheSettings) {
    struct Case {
        QByteArray config;
        bool tickerShown;
        bool refreshEnabled;
    };
    const Case cases[] = {
        {laterStartConfig(), true, false},
        {laterStartConfig("AUTO_LOAD_FLG=0\r\nAUTO_PIROT_MODE=2\r\n"), false, true},
    };
    for (const Case& c : cases) {
        TestEnv later;
        later.writeFile(QStringLiteral("config.ini"), c.config);
        later.writeFile(QStringLiteral("rsslist.opml"), kTwoLevelList);
        FakeTray laterTray;
        AppWindows app(later.state(), AppSeams{laterTray, fileDialogs, appExit});
        app.listReadAhead().start(later.path(QStringLiteral("rsslist.opml")),
                                  later.state().fetchOptions.maxBytes);
        ASSERT_TRUE(app.main().Form_Load());

        EXPECT_TRUE(later.messageBox.shown.isEmpty());
        EXPECT_FALSE(app.main().isVisible());
        EXPECT_EQ(later.state().siteTree.nodeCount(), 4);
        EXPECT_EQ(app.main().pane->properties->intCurrentIndex, 0);
        ASSERT_NE(app.tickerIfLoaded(), nullptr);
        EXPECT_EQ(app.tickerIfLoaded()->isShowing(), c.tickerShown);
        EXPECT_EQ(app.main().mnuProperty->isEnabled(), c.refreshEnabled);
        EXPECT_EQ(app.main().mnuRefresh->isEnabled(), c.refreshEnabled);
        EXPECT_FALSE(app.main().mnuEPaste->isEnabled());
        EXPECT_TRUE(laterTray.added);
    }
}

TEST_F(StartUpTest, EmptyListLeavesThePanelEmptyWithTheInfoText) {
    env.writeFile(QStringLiteral("config.ini"), laterStartConfig());
    env.writeFile(QStringLiteral("rsslist.opml"), kEmptyList);
    ASSERT_TRUE(start());

    EXPECT_FALSE(state().blnSiteListFlg);
    EXPECT_EQ(main().pane->properties->intCurrentIndex, -1);
    EXPECT_TRUE(main().pane->properties->txtTitle->text().isEmpty());
    EXPECT_TRUE(main().pane->properties->txtHomepage->text().isEmpty());
    EXPECT_TRUE(main().pane->properties->txtRDFPath->text().isEmpty());
    EXPECT_EQ(
        main().pane->properties->commentText(),
        QStringLiteral("【Quorvane3】\r\n"
                       "  ティッカー型RSSリーダ >> シンプルをモットーに開発を続けております。"
                       "バグ・要望などありましたらご連絡ください（support@quorvane.example.jp）"
                       "\r\n  "));
    // The patrol, loaded a second later, refuses to walk an empty list.
    main().tmrLoad_Timer();
    ASSERT_NE(windows->taskIfLoaded(), nullptr);
    EXPECT_FALSE(main().tmrLoad.isActive());
    EXPECT_TRUE(main().statusText().isEmpty());
}

// A style whose scroll bars lie over the text they scroll, as some desktops' styles do.
class OverlayScrollBarStyle final : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ScrollBar_Transient) {
            return 1;
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

TEST_F(StartUpTest, StartUpTextWrapsWithinWhatTheScrollBarLeavesVisible) {
    const QString styleName = QApplication::style()->name();
    struct RestoreStyle {
        QString name;
        ~RestoreStyle() { QApplication::setStyle(QStyleFactory::create(name)); }
    } restore{styleName};
    QApplication::setStyle(new OverlayScrollBarStyle(QStyleFactory::create(styleName)));

    env.writeFile(QStringLiteral("config.ini"), laterStartConfig());
    ASSERT_TRUE(start());
    main().show();
    QPlainTextEdit* box = main().pane->properties->txtComment;
    ASSERT_EQ(main().pane->properties->commentText(), main().infoText());
    const QScrollBar* bar = box->verticalScrollBar();
    ASSERT_TRUE(bar->isVisible());
    // Where the bar begins, in the coordinates of the text's viewport.
    const int barLeft = bar->mapTo(box, QPoint(0, 0)).x() - box->viewport()->x();
    int lines = 0;
    for (QTextBlock block = box->document()->begin(); block.isValid(); block = block.next()) {
        const QTextLayout* layout = block.layout();
        for (int i = 0; i < layout->lineCount(); ++i, ++lines) {
            const QTextLine line = layout->lineAt(i);
            EXPECT_LE(line.x() + line.naturalTextWidth(), barLeft)
                << block.text().mid(line.textStart(), line.textLength()).toStdString();
        }
    }
    EXPECT_GT(lines, 3);
}

TEST_F(StartUpTest, MissingStartingListIsReportedAndTheWindowStillShown) {
    ASSERT_TRUE(start());

    ASSERT_EQ(env.messageBox.shown.size(), 2);
    EXPECT_EQ(env.messageBox.shown[1].text, QStringLiteral("OPMLファイルが見つかりません"));
    EXPECT_EQ(state().siteTree.nodeCount(), 0);
    EXPECT_TRUE(main().isVisible());
    EXPECT_EQ(state().settings.OPML_PATH, env.path(QStringLiteral("default.xml")));
    EXPECT_EQ(main().pane->properties->commentText(), main().infoText());
}

TEST_F(StartUpTest, SecondInstanceEndsBeforeReadingOrWritingAnything) {
    QLockFile first(env.path(QStringLiteral("Quorvane3.lock")));
    ASSERT_TRUE(first.tryLock(0));
    env.writeFile(QStringLiteral("config.ini"), "[Quorvane3]\r\nAUTO_PIROT_MODE=2\r\n");
    env.writeFile(QStringLiteral("default.xml"), kTwoLevelList);
    const QStringList before = QDir(env.dir()).entryList(QDir::Files | QDir::Hidden);

    EXPECT_FALSE(start());
    main().sessionEnding();

    EXPECT_TRUE(env.messageBox.shown.isEmpty());
    EXPECT_EQ(state().settings.AUTO_PIROT_MODE, PatrolMode::OneSite);
    EXPECT_EQ(state().siteTree.nodeCount(), 0);
    EXPECT_FALSE(tray.added);
    EXPECT_EQ(windows->tickerIfLoaded(), nullptr);
    EXPECT_FALSE(main().isVisible());
    EXPECT_FALSE(main().tmrLoad.isActive());
    EXPECT_EQ(QDir(env.dir()).entryList(QDir::Files | QDir::Hidden), before);
}

TEST_F(StartUpTest, LockLeftByACrashedRunIsTakenOver) {
    // A process that has ended: its PID names no running program any more.
    QProcess gone;
    gone.start(QStringLiteral("true"), {});
    ASSERT_TRUE(gone.waitForFinished());
    const qint64 deadPid = gone.processId() > 0 ? gone.processId() : 999'999;
    env.writeFile(QStringLiteral("Quorvane3.lock"), QStringLiteral("%1\nQuorvane3\n%2\n")
                                                        .arg(deadPid)
                                                        .arg(QSysInfo::machineHostName())
                                                        .toUtf8());
    env.writeFile(QStringLiteral("config.ini"), laterStartConfig());

    EXPECT_TRUE(start());
    EXPECT_TRUE(windows->instanceLock().isLocked());
}

// One site a line from line 4 on: the sites' lines are known.
QByteArray listOfSites(int count) {
    QByteArray text =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<opml version=\"1.1\">\n<body>\n";
    for (int i = 0; i < count; ++i) {
        text += "<outline text=\"site " + QByteArray::number(i) +
                "\" htmlUrl=\"\" xmlUrl=\"http://127.0.0.1:9/" + QByteArray::number(i) +
                ".xml\"/>\n";
    }
    return text + "</body>\n</opml>\n";
}

// A working list that cannot be read is kept, byte for byte, before anything can save over
// it, and the user is told once why and where the copy is.
TEST_F(StartUpTest, UnreadableWorkingListIsKeptAndReported) {
    const QByteArray good = listOfSites(50);
    struct Case {
        const char* what;
        QByteArray bytes;
        const char* reason;  // a part of the message: the place, or the limit
    };
    const Case cases[] = {
        {"cut short", good.left(good.size() * 6 / 10), "33行目"},
        {"a byte that is not UTF-8",
         QByteArray(good).replace("site 20",
                                  "site \xFF"
                                  "20"),
         "24行目 21桁目"},
        {"an undeclared entity", QByteArray(good).replace("site 30", "site&nbsp;30"), "34行目"},
        {"over the row limit", listOfSites(kMaxOpmlEntries + 1), "32767"},
    };
    // The same whether the list was read ahead while the windows were built, or not.
    for (const auto& [c, ahead] :
         {std::pair{cases[0], false}, std::pair{cases[0], true}, std::pair{cases[1], false},
          std::pair{cases[1], true}, std::pair{cases[2], false}, std::pair{cases[3], true}}) {
        SCOPED_TRACE(c.what);
        SCOPED_TRACE(ahead ? "read ahead" : "read at start");
        TestEnv run;
        run.writeFile(QStringLiteral("config.ini"), laterStartConfig());
        run.writeFile(QStringLiteral("rsslist.opml"), c.bytes);
        AppWindows app(run.state(), AppSeams{tray, fileDialogs, appExit});
        if (ahead) {
            app.listReadAhead().start(run.path(QStringLiteral("rsslist.opml")),
                                      run.state().fetchOptions.maxBytes);
        }
        ASSERT_TRUE(app.main().Form_Load());

        EXPECT_EQ(run.state().siteTree.nodeCount(), 0);
        const QString kept = QStringLiteral("rsslist.opml.broken-20060316-120000");
        EXPECT_EQ(run.readFile(kept), c.bytes);
        ASSERT_EQ(run.messageBox.shown.size(), 1);
        const FakeMessageBox::Shown& told = run.messageBox.shown.first();
        EXPECT_TRUE(told.text.contains(kept)) << told.text.toStdString();
        EXPECT_TRUE(told.text.contains(QString::fromUtf8(c.reason))) << told.text.toStdString();
        EXPECT_EQ(told.icon, MsgIcon::Warning);

        // The exit writes the (empty) tree over the list; the copy stays.
        app.main().mnuExit_Click();
        EXPECT_FALSE(run.readFile(QStringLiteral("rsslist.opml")).contains("site 1"));
        EXPECT_EQ(run.readFile(kept), c.bytes);
    }

    // Twice within a second: a second copy beside the first. An empty file: nothing to keep
    // or tell.
    env.writeFile(QStringLiteral("config.ini"), laterStartConfig());
    env.writeFile(QStringLiteral("rsslist.opml"), "<opml><body>");
    ASSERT_TRUE(start());
    windows = std::make_unique<AppWindows>(env.state(), AppSeams{tray, fileDialogs, appExit});
    ASSERT_TRUE(start());
    EXPECT_TRUE(env.exists(QStringLiteral("rsslist.opml.broken-20060316-120000-2")));
    EXPECT_EQ(env.messageBox.shown.size(), 2);
    windows = std::make_unique<AppWindows>(env.state(), AppSeams{tray, fileDialogs, appExit});
    env.writeFile(QStringLiteral("rsslist.opml"), QByteArray());
    ASSERT_TRUE(start());
    EXPECT_EQ(env.messageBox.shown.size(), 2);
    EXPECT_FALSE(env.exists(QStringLiteral("rsslist.opml.broken-20060316-120000-3")));
}

class ExitTest : public AppTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ExitTest, SavesTheListThenTheSettingsAndRemovesTheTrayIcon) {
    env.writeFile(QStringLiteral("config.ini"), laterStartConfig());
    env.writeFile(QStringLiteral("rsslist.opml"), kTwoLevelList);
    ASSERT_TRUE(start());
    main().pane->editor->mnuNewFolder_Click();
    state().settings.NEWS_INTERVAL = 21;
    bool trayGoneAtExit = false;
    appExit.onExit = [this, &trayGoneAtExit] { trayGoneAtExit = !tray.added; };

    FinishedFiles finished(env.dir());
    main().findChild<QAction*>(QLatin1String(GetParam()))->trigger();

    const QStringList files = {QStringLiteral("rsslist.opml"), QStringLiteral("config.ini")};
    EXPECT_EQ(finished.names(files), files);
    EXPECT_EQ(appExit.exits, 1);
    EXPECT_TRUE(trayGoneAtExit);
    const QStringList lines = configLines();
    EXPECT_EQ(lines.size(), 19);
    EXPECT_EQ(lines.value(0), QStringLiteral("[Quorvane3]"));
    EXPECT_TRUE(lines.contains(QStringLiteral("NEWS_INTERVAL=21")));
    EXPECT_TRUE(env.readFile(QStringLiteral("rsslist.opml")).contains("新しいフォルダ"));
    // The windows are not unloaded one by one: the ticker is left as it was.
    EXPECT_TRUE(windows->tickerIfLoaded()->isShowing());

    // What the exit saved is not saved again when the event loop ends behind it.
    QFile::remove(env.path(QStringLiteral("config.ini")));
    main().sessionEnding();
    EXPECT_FALSE(env.exists(QStringLiteral("config.ini")));
}

INSTANTIATE_TEST_SUITE_P(FileAndTrayMenus, ExitTest, ::testing::Values("mnuExit", "mnuExitNotify"));

TEST_F(StartUpTest, CloseBoxAndCloseCommandOnlyHideTheWindow) {
    env.writeFile(QStringLiteral("config.ini"), laterStartConfig());
    env.writeFile(QStringLiteral("rsslist.opml"), kTwoLevelList);
    ASSERT_TRUE(start());
    const std::function<void()> closeBox = [this] { userClose(main()); };
    const std::function<void()> closeCommand = [this] { main().mnuClose->trigger(); };
    for (const std::function<void()>& close : {closeBox, closeCommand}) {
        main().show();
        close();
        EXPECT_FALSE(main().isVisible());
        EXPECT_TRUE(tray.added);
        EXPECT_TRUE(windows->tickerIfLoaded()->isShowing());
        EXPECT_EQ(appExit.exits, 0);
    }
    // A close the program itself asks for is let through, saving nothing.
    main().show();
    env.writeFile(QStringLiteral("rsslist.opml"), "untouched");
    EXPECT_TRUE(main().close());
    EXPECT_EQ(env.readFile(QStringLiteral("rsslist.opml")), QByteArray("untouched"));
    EXPECT_TRUE(tray.added);
}

TEST_F(StartUpTest, WithoutANotificationAreaTheWindowIsShownAndMinimisedOnClose) {
    tray.available = false;
    env.writeFile(QStringLiteral("config.ini"), laterStartConfig());
    env.writeFile(QStringLiteral("rsslist.opml"), kTwoLevelList);
    ASSERT_TRUE(start());
    EXPECT_TRUE(main().isVisible());
    EXPECT_FALSE(tray.added);
    const auto closingMinimises = [this] {
        userClose(main());
        EXPECT_TRUE(main().isVisible());
        EXPECT_TRUE(main().isMinimized());
        main().showNormal();
        main().mnuClose->trigger();
        EXPECT_TRUE(main().isVisible());
        EXPECT_TRUE(main().isMinimized());
    };
    closingMinimises();

    // The desktop's shell restarts with a notification area: the icon goes up, and closing
    // hides the window again.
    tray.setAvailable(true);
    EXPECT_TRUE(tray.added);
    EXPECT_TRUE(main().hasTray());
    main().showNormal();
    userClose(main());
    EXPECT_FALSE(main().isVisible());

    // It goes while the window is hidden: the window comes back, minimised.
    tray.setAvailable(false);
    EXPECT_FALSE(tray.added);
    EXPECT_TRUE(main().isVisible());
    EXPECT_TRUE(main().isMinimized());
    closingMinimises();

    // After the exit the icon stays down.
    main().mnuExit->trigger();
    tray.setAvailable(true);
    EXPECT_FALSE(tray.added);
}

TEST_F(StartUpTest, AFailedSaveIsSaidOnceTriedAgainAtTheNextChangeAndNamedAtExit) {
    env.writeFile(QStringLiteral("config.ini"), laterStartConfig());
    env.writeFile(QStringLiteral("rsslist.opml"), kTwoLevelList);
    ASSERT_TRUE(start());
    const QString list = env.path(QStringLiteral("rsslist.opml"));
    // A folder where the list goes takes no file, as a full disk takes none.
    const auto refuseSaves = [&list] {
        QFile::remove(list);
        return QDir().mkdir(list);
    };
    const QString patrolText = QStringLiteral("RDF読み込み開始します...");

    ASSERT_TRUE(refuseSaves());
    main().pane->editor->mnuNewFolder_Click();
    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return main().statusText().contains(QStringLiteral("rsslist.opml")); }));
    // Said once: the next failing save leaves the status bar alone.
    main().SetStatus(patrolText);
    main().pane->editor->mnuNewFolder_Click();
    state().siteListSaver.flush();
    QTest::qWait(20);
    EXPECT_EQ(main().statusText(), patrolText);

    // The next change once the disk takes files again writes the whole list.
    ASSERT_TRUE(QDir().rmdir(list));
    main().pane->editor->mnuNewFolder_Click();
    EXPECT_EQ(env.readFile(QStringLiteral("rsslist.opml")).count("新しいフォルダ"), 3);

    // The exit names the file and why, and the program ends when the box is answered.
    ASSERT_TRUE(refuseSaves());
    env.messageBox.holdAnswers = true;
    main().mnuExit->trigger();
    ASSERT_EQ(env.messageBox.shown.size(), 1);
    const FakeMessageBox::Shown& box = env.messageBox.shown[0];
    const QStringList lines = box.text.split(QStringLiteral("\r\n"));
    const qsizetype named = lines.indexOf(QDir::toNativeSeparators(list));
    ASSERT_GT(named, 0) << box.text.toStdString();
    EXPECT_FALSE(lines.value(named + 1).isEmpty()) << box.text.toStdString();
    EXPECT_EQ(box.icon, MsgIcon::Warning);
    EXPECT_EQ(appExit.exits, 0);
    env.messageBox.answerHeld(MsgResult::Ok);
    EXPECT_EQ(appExit.exits, 1);
    EXPECT_FALSE(tray.added);
    EXPECT_TRUE(QDir().rmdir(list));
}

TEST_F(StartUpTest, SessionEndSavesTheListAndTheSettings) {
    env.writeFile(QStringLiteral("config.ini"), laterStartConfig());
    env.writeFile(QStringLiteral("rsslist.opml"), kTwoLevelList);
    ASSERT_TRUE(start());
    main().pane->editor->mnuNewFolder_Click();
    state().settings.NEWS_INTERVAL = 33;
    QFile::remove(env.path(QStringLiteral("rsslist.opml")));

    main().sessionEnding();

    EXPECT_TRUE(configLines().contains(QStringLiteral("NEWS_INTERVAL=33")));
    EXPECT_TRUE(env.readFile(QStringLiteral("rsslist.opml")).contains("新しいフォルダ"));
    EXPECT_EQ(appExit.exits, 0);
}

}  // namespace
