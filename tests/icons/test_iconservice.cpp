#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <memory>

#include "icons/iconservice.h"
#include "platform/net/httpclient.h"
#include "tests/common/fakes.h"
#include "tests/common/loopbackserver.h"
#include "tests/icons/iconfixtures.h"

namespace {

constexpr qint64 kHour = 60 * 60;
constexpr qint64 kDay = 24 * kHour;

QByteArray pageNaming(const QString& iconHref) {
    return "<!DOCTYPE html><html><head><title>site</title><link rel=\"icon\" href=\"" +
           iconHref.toUtf8() + "\"></head><body></body></html>";
}

class IconServiceTest : public ::testing::Test {
protected:
    IconServiceTest() { restart(); }

    // A new service over the same cache folder, as at the program's next start.
    void restart() {
        service.reset();
        service = std::make_unique<IconService>(http, dir.filePath(QStringLiteral("icons")), clock);
        FetchOptions options;
        options.connectTimeoutMs = 2000;
        options.totalTimeoutMs = 5000;
        service->setFetchOptions(options);
    }

    // Asks for the site's icon and waits until the service has done what was due.
    IconImages settle(const IconSite& site) {
        const QString key = IconService::keyOf(site);
        bool done = false;
        const QMetaObject::Connection connection = QObject::connect(
            service.get(), &IconService::settled,
            [&done, &key](const QString& settledKey) { done |= settledKey == key; });
        (void)service->icon(site);
        EXPECT_TRUE(QTest::qWaitFor([&] { return done || service->pendingCount() == 0; }, 15000));
        QObject::disconnect(connection);
        return service->icon(site);
    }

    IconSite siteOf(const LoopbackServer& server) const {
        return {server.url(QStringLiteral("/")), server.url(QStringLiteral("/feed"))};
    }

    QTemporaryDir dir;
    FakeClock clock;
    HttpClient http;
    std::unique_ptr<IconService> service;
};

TEST_F(IconServiceTest, KeepsThePagesIconForAWeekThenAsksWhetherItChanged) {
    LoopbackServer server;
    server.serve(QStringLiteral("/"), pageNaming(QStringLiteral("/i.png")), "text/html");
    LoopbackServer::Response png;
    png.headers = {{"Content-Type", "image/png"}, {"ETag", "\"v1\""}};
    png.body = encodedImage(solidImage(32, Qt::red), "png");
    server.route(QStringLiteral("/i.png"), png);

    const IconImages icon = settle(siteOf(server));
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.atPixels(16).pixelColor(8, 8), QColor(Qt::red));
    EXPECT_EQ(server.requestCount(QStringLiteral("/")), 1);
    EXPECT_EQ(server.requestCount(QStringLiteral("/i.png")), 1);

    // The next start, six days on: from the cache, nothing asked.
    clock.set(clock.now().addSecs(6 * kDay));
    restart();
    EXPECT_FALSE(settle(siteOf(server)).isNull());
    EXPECT_EQ(server.requests().size(), 2);

    // Past the week: the icon alone, conditionally; unchanged, it is kept another week.
    clock.set(clock.now().addSecs(2 * kDay));
    restart();
    server.clearRequests();
    EXPECT_FALSE(settle(siteOf(server)).isNull());
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_EQ(server.requests().first().path, QStringLiteral("/i.png"));
    EXPECT_EQ(server.requests().first().header("If-None-Match"), QByteArray("\"v1\""));
    clock.set(clock.now().addSecs(kDay));
    restart();
    EXPECT_FALSE(settle(siteOf(server)).isNull());
    EXPECT_EQ(server.requests().size(), 1);
}

TEST_F(IconServiceTest, FallsBackToTheFaviconThenTheFeedsPicture) {
    LoopbackServer server;
    // A page whose icon is no picture, and no /favicon.ico.
    server.serve(QStringLiteral("/"), pageNaming(QStringLiteral("/broken.png")), "text/html");
    server.serve(QStringLiteral("/broken.png"), "<html>not found</html>", "text/html");
    server.serve(QStringLiteral("/feed"),
                 "<rss version=\"2.0\"><channel><title>t</title><image><url>/logo.gif</url>"
                 "</image><item><title>a</title></item></channel></rss>");
    server.serve(QStringLiteral("/logo.gif"), solidGif(16, Qt::blue), "image/gif");

    const IconImages icon = settle(siteOf(server));
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.atPixels(32).pixelColor(16, 16), QColor(Qt::blue));
    QStringList paths;
    for (const LoopbackServer::Request& request : server.requests()) {
        paths.append(request.path);
    }
    EXPECT_EQ(paths, (QStringList{"/", "/broken.png", "/favicon.ico", "/feed", "/logo.gif"}));
}

TEST_F(IconServiceTest, RemembersAFailureForADay) {
    LoopbackServer server;
    server.serve(QStringLiteral("/feed"), "<rss version=\"2.0\"><channel></channel></rss>");
    EXPECT_TRUE(settle(siteOf(server)).isNull());
    const int asked = int(server.requests().size());
    EXPECT_EQ(asked, 3);  // the page, /favicon.ico, the feed

    clock.set(clock.now().addSecs(23 * kHour));
    restart();
    EXPECT_TRUE(settle(siteOf(server)).isNull());
    EXPECT_EQ(server.requests().size(), asked);

    server.serve(QStringLiteral("/favicon.ico"), icoOf({solidImage(16, Qt::green)}),
                 "image/x-icon");
    clock.set(clock.now().addSecs(2 * kHour));
    restart();
    EXPECT_FALSE(settle(siteOf(server)).isNull());
}

TEST_F(IconServiceTest, FetchesAtMostOncePerHostAtATimeAndFourInAll) {
    // Six sites whose pages name icons on one shared host, each answer taking a while.
    LoopbackServer shared;
    LoopbackServer::Response slowIcon;
    slowIcon.delayMs = 80;
    slowIcon.headers = {{"Content-Type", "image/png"}};
    slowIcon.body = encodedImage(solidImage(16, Qt::red), "png");
    shared.route(QStringLiteral("/i.png"), slowIcon);
    std::vector<std::unique_ptr<LoopbackServer>> sites;
    for (int k = 0; k < 6; ++k) {
        auto site = std::make_unique<LoopbackServer>();
        LoopbackServer::Response page;
        page.delayMs = 80;
        page.headers = {{"Content-Type", "text/html"}};
        page.body = pageNaming(shared.url(QStringLiteral("/i.png?site=%1").arg(k)));
        site->route(QStringLiteral("/"), page);
        sites.push_back(std::move(site));
    }
    for (const auto& site : sites) {
        (void)service->icon(siteOf(*site));
    }
    int mostActive = 0;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            mostActive = std::max(mostActive, service->activeFetches());
            return service->pendingCount() == 0;
        },
        20000));
    EXPECT_EQ(shared.requestCount(QStringLiteral("/i.png")), 6);
    EXPECT_EQ(shared.peakConcurrentRequests(), 1);
    EXPECT_LE(mostActive, IconService::kMaxFetches);
    EXPECT_GE(mostActive, 2);
    for (const auto& site : sites) {
        EXPECT_EQ(site->peakConcurrentRequests(), 1);
        EXPECT_FALSE(service->icon(siteOf(*site)).isNull());
    }
}

TEST_F(IconServiceTest, OffFetchesNothingAndShutdownEndsAHangingFetch) {
    LoopbackServer server;
    server.hold(QStringLiteral("/"));
    service->setEnabled(false);
    EXPECT_TRUE(service->icon(siteOf(server)).isNull());
    EXPECT_EQ(service->pendingCount(), 0);

    service->setEnabled(true);
    (void)service->icon(siteOf(server));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !server.requests().isEmpty(); }, 5000));
    EXPECT_TRUE(service->shutdown(1000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return http.activeCount() == 0; }, 2000));
}

}  // namespace
