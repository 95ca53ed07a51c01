#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <sys/stat.h>

#include "tests/common/testenv.h"
#include "core/appstate.h"
#include "patrol/shownlists.h"
#include "platform/system/instancelock.h"
#include "platform/files/paths.h"
#include "rules/rulesstore.h"
#include "settings/config.h"
#include "sitelist/brokenlist.h"

namespace {

int modeOf(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

// The site list may name private feeds, and a list others could change would have the
// patrol read what they put in it.
TEST(FileModes, TheProgramsFoldersAndFilesAreTheUsersAloneWhateverTheUmask) {
    const mode_t umaskBefore = ::umask(0);
    {
        TestEnv env;
        AppState& state = env.state();
        const QString dataDir = env.path(QStringLiteral("home/.local/share/Quorvane3"));
        ASSERT_TRUE(makePrivateFolder(dataDir));
        // A folder or file an older run left open is closed as it is used again.
        const QString oldDir = env.path(QStringLiteral("old"));
        ASSERT_TRUE(QDir().mkdir(oldDir));
        ASSERT_TRUE(makePrivateFolder(oldDir));
        env.writeFile(QStringLiteral("rsslist.opml"), "old");
        ASSERT_EQ(modeOf(env.path(QStringLiteral("rsslist.opml"))), 0666);

        InstanceLock lock(env.dir());
        ASSERT_TRUE(lock.tryLock());
        ASSERT_TRUE(SaveSettings(state));
        RulesStore rules(env.path(QLatin1String(kRulesFileName)));
        EXPECT_TRUE(reloadRules(rules));
        RulesDocument edited = rules.document();
        ASSERT_TRUE(edited.setSiteMuted(QStringLiteral("http://127.0.0.1/feed.xml"), true));
        ASSERT_EQ(saveRules(rules, edited), RulesSave::Saved);
        state.siteListSaver.save(env.path(QStringLiteral("rsslist.opml")), "<opml/>");
        state.siteListSaver.flush();
        ASSERT_FALSE(keepBrokenList(env.path(QStringLiteral("rsslist.opml")), env.clock.now(), {})
                         .isEmpty());

        // A shown-list file made by showing an article, then rewritten by a patrol.
        SiteRow site;
        site.strXmlUrl = QStringLiteral("http://127.0.0.1/feed.xml");
        state.SiteTable.append(site);
        ArticleRecord article;
        article.Link = QStringLiteral("http://127.0.0.1/1");
        article.FeedUrl = site.strXmlUrl;
        state.shownStore().RecordNewsShown(article);
        state.shownStore().flush();
        const QString shownList = shownListPath(state, site.strXmlUrl);
        EXPECT_EQ(modeOf(shownList), 0600);
        ::chmod(QFile::encodeName(shownList).constData(), 0666);
        QList<ArticleRecord> none;
        state.shownStore().MarkShownArticles(site.strXmlUrl, none);
        state.shownStore().flush();

        const struct {
            QString path;
            int mode;
        } expected[] = {
            {dataDir, 0700},
            {oldDir, 0700},
            {env.path(QStringLiteral("temporary")), 0700},
            {shownList, 0600},
            {env.path(QStringLiteral("config.ini")), 0600},
            {env.path(QLatin1String(kRulesFileName)), 0600},
            {env.path(QStringLiteral("rsslist.opml")), 0600},
            {env.path(QStringLiteral("rsslist.opml.broken-20060316-120000")), 0600},
            {env.path(QLatin1String(InstanceLock::kFileName)), 0600},
        };
        for (const auto& e : expected) {
            EXPECT_EQ(modeOf(e.path), e.mode) << e.path.toStdString();
        }
    }
    ::umask(umaskBefore);
}

// Under umask 000 the per-user folder's missing parents are made for the user alone, and a
// folder another user could have planted files in is refused and left as it is.
TEST(FileModes, APerUserFolderOthersCouldWriteInIsRefused) {
    using Trust = ProgramPaths::Trust;
    const uint me = currentUserId();
    const struct {
        uint owner;
        uint mode;
        Trust trust;
    } judged[] = {
        {me, 040700, Trust::Private},
        {me, 040755, Trust::Private},  // only read by others: made private by its user
        {me, 040770, Trust::WritableByOthers},
        {me, 040777, Trust::WritableByOthers},
        {me, 041777, Trust::WritableByOthers},  // sticky: others still put files in
        {me, 040702, Trust::WritableByOthers},
        {me + 1, 040700, Trust::OtherOwner},
        {me + 1, 040777, Trust::OtherOwner},
    };
    for (const auto& j : judged) {
        EXPECT_EQ(judgeUserFolder(j.owner, j.mode, me), j.trust) << std::oct << j.mode;
    }
    EXPECT_EQ(judgeUserFolder(0, 040700, 1000), Trust::OtherOwner);

    const mode_t umaskBefore = ::umask(0);
    {
        TestEnv env;
        const QString dataDir = env.path(QStringLiteral("home/.local/share/Quorvane3"));
        ASSERT_TRUE(QDir().mkdir(env.path(QStringLiteral("home")),
                                 QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        EXPECT_EQ(preparePerUserFolder(dataDir, me), Trust::Private);
        for (const char* made :
             {"home/.local", "home/.local/share", "home/.local/share/Quorvane3"}) {
            EXPECT_EQ(modeOf(env.path(QLatin1String(made))), 0700) << made;
        }

        const QString planted = env.path(QStringLiteral("planted"));
        ASSERT_TRUE(QDir().mkdir(planted));
        ASSERT_EQ(modeOf(planted), 0777);
        env.writeFile(QStringLiteral("planted/rules.txt"), "planted");
        EXPECT_EQ(preparePerUserFolder(planted, me), Trust::WritableByOthers);
        EXPECT_EQ(modeOf(planted), 0777);  // left as it is, for its owner to look at
        EXPECT_EQ(preparePerUserFolder(planted, me + 1), Trust::OtherOwner);
    }
    ::umask(umaskBefore);
}

}  // namespace
