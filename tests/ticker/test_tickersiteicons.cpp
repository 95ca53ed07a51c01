#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTemporaryDir>

#include "icons/iconcache.h"
#include "icons/iconservice.h"
#include "platform/net/httpclient.h"
#include "tests/common/testenv.h"
#include "tests/icons/iconfixtures.h"
#include "ticker/tickersiteicons.h"
#include "ui/siteicons.h"

namespace {

QColor colourOf(const QIcon& icon) {
    return icon.pixmap(16).toImage().pixelColor(8, 8);
}

// The icon of a headline's feed follows its site's addresses as they are edited in place:
// the home page, and the feed itself, with the site table's size unchanged. The icons are in
// the disk cache, fresh: nothing is fetched.
TEST(TickerSiteIcons, TheIconFollowsASitesAddressesEditedInPlace) {
    TestEnv env;
    QTemporaryDir dir;
    IconRecord fresh;
    fresh.checked = env.clock.now();
    const IconCache cache(dir.path());
    ASSERT_TRUE(cache.store(QStringLiteral("a.example"),
                            decodeIcon(encodedImage(solidImage(32, Qt::red), "png")), fresh));
    ASSERT_TRUE(cache.store(QStringLiteral("b.example"),
                            decodeIcon(encodedImage(solidImage(32, Qt::blue), "png")), fresh));
    // Feeds on a closed loopback port: a fetch, were one made, fails at once.
    const QString firstFeed = QStringLiteral("http://127.0.0.1:9/first.xml");
    const QString secondFeed = QStringLiteral("http://127.0.0.1:9/second.xml");
    SiteRowArray& table = env.state().SiteTable;
    table.append(
        {kKindSite, false, QStringLiteral("A"), QStringLiteral("http://a.example/"), firstFeed});

    HttpClient http;
    IconService service(http, dir.path(), env.clock);
    SiteIcons icons(service, env.state().settings);
    TickerSiteIcons ticker(env.state(), &icons, nullptr);
    QSignalSpy changed(&ticker, &TickerSiteIcons::changed);
    const auto iconOf = [&](const QString& feed) {
        QIcon icon = ticker.iconOfFeed(feed);
        for (int tries = 0; icon.isNull() && tries < 2 && changed.wait(10000); ++tries) {
            icon = ticker.iconOfFeed(feed);
        }
        return icon;
    };

    EXPECT_EQ(colourOf(iconOf(firstFeed)), QColor(Qt::red));
    table[0].strHtmlUrl = QStringLiteral("http://b.example/");
    EXPECT_EQ(colourOf(iconOf(firstFeed)), QColor(Qt::blue));
    // The feed moved, with the home page back: the headlines of the new feed are the site's.
    table[0].strHtmlUrl = QStringLiteral("http://a.example/");
    table[0].strXmlUrl = secondFeed;
    EXPECT_EQ(colourOf(iconOf(secondFeed)), QColor(Qt::red));
    service.shutdown(2000);
}

}  // namespace
