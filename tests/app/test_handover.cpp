#include <gtest/gtest.h>

#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include "app/appwindows.h"
#include "app/frmmain.h"
#include "app/handover.h"
#include "tests/app/appfixture.h"
#include "core/appstate.h"
#include "core/openrequest.h"
#include "dialogs/frmnewsitedialog.h"

namespace {

using Kind = OpenRequest::Kind;

TEST(OpenRequest, AcceptsWebAndFeedUrlsAndLocalFilesOnly) {
    QTemporaryDir dir;
    const auto touch = [&dir](const QString& name) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << name.toStdString();
        return QDir::cleanPath(dir.filePath(name));
    };
    const QString rss = touch(QStringLiteral("news.rss"));
    const QString opml = touch(QStringLiteral("list.opml"));
    const QString upperOpml = touch(QStringLiteral("LIST2.OPML"));
    const QString oddName = touch(QStringLiteral("a b\nc#%.xml"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.opml")));

    struct Case {
        QString argument;
        QString workingDir;
        Kind kind;
        QString shown;
    };
    const QString none;
    const Case cases[] = {
        {QStringLiteral("http://example.jp/rss.xml"), none, Kind::Feed,
         QStringLiteral("http://example.jp/rss.xml")},
        {QStringLiteral("  HTTPS://example.jp/a?b=1&c=2\n"), none, Kind::Feed,
         QStringLiteral("https://example.jp/a?b=1&c=2")},
        {QStringLiteral("feed:https://example.jp/rss"), none, Kind::Feed,
         QStringLiteral("https://example.jp/rss")},
        {QStringLiteral("feed:http://example.jp/rss"), none, Kind::Feed,
         QStringLiteral("http://example.jp/rss")},
        {QStringLiteral("feed://example.jp/rss?x=1"), none, Kind::Feed,
         QStringLiteral("http://example.jp/rss?x=1")},
        {QStringLiteral("FEED://https://example.jp/rss"), none, Kind::Feed,
         QStringLiteral("https://example.jp/rss")},
        {QStringLiteral("feed:example.jp/rss"), none, Kind::Refused, none},
        {QStringLiteral("feed:javascript:alert(1)"), none, Kind::Refused, none},
        {QStringLiteral("feed:file:///etc/passwd"), none, Kind::Refused, none},
        {QStringLiteral("feed://"), none, Kind::Refused, none},
        {QStringLiteral("javascript:alert(1)"), none, Kind::Refused, none},
        {QStringLiteral("JavaScript:alert(1)"), dir.path(), Kind::Refused, none},
        {QStringLiteral("data:text/html,<b>x</b>"), none, Kind::Refused, none},
        {QStringLiteral("mailto:news@example.jp"), none, Kind::Refused, none},
        {QStringLiteral("ftp://example.jp/rss"), none, Kind::Refused, none},
        {QStringLiteral("http://"), none, Kind::Refused, none},
        {QString(), dir.path(), Kind::Refused, none},
        // Local files: relative ones against the working directory, by path or file: URL.
        {QStringLiteral("news.rss"), dir.path(), Kind::Feed, rss},
        {QStringLiteral("list.opml"), dir.path(), Kind::SiteList, opml},
        {upperOpml, none, Kind::SiteList, upperOpml},
        {QStringLiteral("file://") + rss, none, Kind::Feed, rss},
        {QStringLiteral("file://localhost") + opml, none, Kind::SiteList, opml},
        {QString::fromLatin1(QUrl::fromLocalFile(oddName).toEncoded()), none, Kind::Feed, oddName},
        {QStringLiteral("file://elsewhere") + rss, none, Kind::Refused, none},
        {QStringLiteral("missing.rss"), dir.path(), Kind::Refused, none},
        {QStringLiteral("folder.opml"), dir.path(), Kind::Refused, none},
        // The receiving side has no working directory to resolve against.
        {QStringLiteral("news.rss"), none, Kind::Refused, none},
    };
    for (const Case& c : cases) {
        const OpenRequest request = interpretArgument(c.argument, c.workingDir);
        EXPECT_EQ(request.kind, c.kind) << c.argument.toStdString();
        if (request.kind == Kind::Refused) {
            EXPECT_FALSE(request.why.isEmpty()) << c.argument.toStdString();
            continue;
        }
        EXPECT_EQ(request.displayText(), c.shown) << c.argument.toStdString();
        // What a second start sends is one line and means the same on the other side.
        const QByteArray line = request.handOverLine();
        EXPECT_FALSE(line.contains('\n')) << c.argument.toStdString();
        const OpenRequest received = interpretArgument(QString::fromUtf8(line), QString());
        EXPECT_EQ(received.kind, c.kind) << c.argument.toStdString();
        EXPECT_EQ(received.displayText(), c.shown) << c.argument.toStdString();
    }
}

TEST(OpenRequest, RefusalsAreLoggedShortAndWithoutCommandsForTheTerminal) {
    const struct {
        QString argument;
        QString shown;
    } cases[] = {
        {QStringLiteral("data:text/plain,") + QString(5000, QLatin1Char('x')),
         QStringLiteral("\"data:text/plain,xxx")},
        // An escape sequence that would retitle the terminal, a bell, a line of its own.
        {QStringLiteral("javascript:\x1b]0;owned\x07\nQuorvane3: fine"),
         QStringLiteral("\"javascript:\\u001b]0;owned\\u0007\\u000aQuorvane3: fine\"")},
        // A C1 control, a right-to-left override, a quote.
        {QStringLiteral("mailto:\u009b31m\u202etxt.exe\"x"),
         QStringLiteral("\"mailto:\\u009b31m\\u202etxt.exe\\\"x\"")},
    };
    for (const auto& c : cases) {
        const QString logged = refusalLogText(c.argument, interpretArgument(c.argument, QString()));
        EXPECT_LT(logged.size(), 300) << c.argument.left(50).toStdString();
        EXPECT_TRUE(logged.contains(c.shown)) << logged.toStdString();
        for (const QChar ch : logged) {
            EXPECT_NE(ch.category(), QChar::Other_Control) << logged.toStdString();
            EXPECT_NE(ch.category(), QChar::Other_Format) << logged.toStdString();
        }
    }
}

// A started program that takes feeds and site lists from outside.
class HandOverTest : public AppTest {
protected:
    void SetUp() override {
        env.writeFile(QStringLiteral("config.ini"), laterStartConfig());
        env.writeFile(QStringLiteral("rsslist.opml"), kTwoLevelList);
        ASSERT_TRUE(start());
    }
    static QByteArray line(const QString& path) { return QUrl::fromLocalFile(path).toEncoded(); }
    frmNewSiteDialog& dialog() { return windows->newSiteDialog(); }
    bool dialogChecked(const QString& url) {
        return QTest::qWaitFor([this, url] {
            return dialog().isVisible() && dialog().txtURL->text() == url && dialog().isProbed();
        });
    }

    HandOver handOver{*windows};
};

TEST_F(HandOverTest, AFeedOpensTheNewSiteDialogCheckedOnlyAfterStartUp) {
    const QString rss20 = testDataPath(QStringLiteral("rss20.xml"));
    const QString rss10 = testDataPath(QStringLiteral("rss10.rdf"));
    handOver.receive({"javascript:alert(1)", line(rss20)});
    QTest::qWait(20);
    EXPECT_FALSE(dialog().isVisible());

    handOver.start();
    ASSERT_TRUE(dialogChecked(rss20));
    EXPECT_EQ(dialog().txtName->text(), QStringLiteral("川辺タイムズ"));

    // The dialog waits in its second step; the next feed starts over instead of
    // registering the new URL under the old name.
    const int rows = state().SiteTable.size();
    handOver.receive({line(rss10)});
    ASSERT_TRUE(dialogChecked(rss10));
    EXPECT_EQ(dialog().txtName->text(), QStringLiteral("山の便り"));
    EXPECT_EQ(state().SiteTable.size(), rows);
    EXPECT_TRUE(env.messageBox.shown.isEmpty());
}

TEST_F(HandOverTest, ASiteListIsLoadedOnlyAfterTheUsersOk) {
    env.writeFile(QStringLiteral("other.opml"), R"(<?xml version="1.0" encoding="utf-8"?>
<opml version="1.1"><head/><body><outline text="Other" htmlUrl="" xmlUrl="http://127.0.0.1:9/o.xml"/></body></opml>
)");
    handOver.start();
    const QStringList before = treeTitles();

    // The question opens over the main window, which goes away again when the answer is no.
    env.messageBox.answers = {MsgResult::Cancel};
    bool mainShownWhileAsked = false;
    env.messageBox.whileShown = [this, &mainShownWhileAsked] {
        mainShownWhileAsked = main().isVisible();
    };
    handOver.receive({line(env.path(QStringLiteral("other.opml")))});
    ASSERT_TRUE(QTest::qWaitFor([this] { return env.messageBox.shown.size() == 1; }));
    EXPECT_TRUE(mainShownWhileAsked);
    EXPECT_EQ(env.messageBox.shown[0].buttons, MsgButtons::OkCancel);
    EXPECT_TRUE(env.messageBox.shown[0].text.contains(env.path(QStringLiteral("other.opml"))));
    EXPECT_EQ(treeTitles(), before);
    EXPECT_FALSE(main().isVisible());

    handOver.receive({line(env.path(QStringLiteral("other.opml")))});
    ASSERT_TRUE(QTest::qWaitFor([this] { return env.messageBox.shown.size() == 2; }));
    // The list is read on a worker.
    ASSERT_TRUE(
        QTest::qWaitFor([this] { return treeTitles() == QStringList{QStringLiteral("Other")}; }));
    EXPECT_TRUE(env.readFile(QStringLiteral("rsslist.opml")).contains("Other"));
    EXPECT_TRUE(main().isVisible());
}

TEST_F(HandOverTest, ShowBringsTheMainWindowBackOnceStartUpHasEnded) {
    main().hide();
    handOver.receive({HandOver::kShowLine});
    QTest::qWait(20);
    EXPECT_FALSE(main().isVisible());

    handOver.start();
    ASSERT_TRUE(QTest::qWaitFor([this] { return main().isVisible(); }));
    EXPECT_FALSE(main().isMinimized());
    EXPECT_FALSE(dialog().isVisible());
    EXPECT_TRUE(env.messageBox.shown.isEmpty());
}

}  // namespace
