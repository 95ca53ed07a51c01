// The site's icon in the ticker on a real X server: fetched from a loopback site, shown in
// the ticker's icon while that site's headline is on display, and before the site title on
// the marquee; with the option off, nothing is fetched and the program's icon shows.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>
#include <memory>

#include "icons/iconservice.h"
#include "platform/net/httpclient.h"
#include "tests/common/fakes.h"
#include "tests/common/loopbackserver.h"
#include "tests/common/testenv.h"
#include "tests/common/x11tests.h"
#include "tests/icons/iconfixtures.h"
#include "ticker/frmticker.h"
#include "ticker/marqueestrip.h"
#include "ticker/tickerhost.h"
#include "ticker/tickericon.h"
#include "ui/siteicons.h"

namespace {

class NoTickerHost final : public TickerHost {
public:
    void openArticleList() override {}
    void closeArticleList() override {}
    void openTickerSettings() override {}
};

// A colour no text or back colour of the ticker has.
const QColor kIconColour(0x20, 0xC0, 0x60);

// Pixels of the icon's colour in image (within a small tolerance: the icon is scaled).
int iconPixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += std::abs(c.red() - kIconColour.red()) < 8 &&
                     std::abs(c.green() - kIconColour.green()) < 8 &&
                     std::abs(c.blue() - kIconColour.blue()) < 8;
        }
    }
    return count;
}

class TickerIconsTest : public ::testing::Test {
protected:
    TickerIconsTest() {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        env.screen.setTwips(pixelsToTwips(screen.width()), pixelsToTwips(screen.height()));
        server.serve(QStringLiteral("/"),
                     "<!DOCTYPE html><html><head><link rel=\"icon\" href=\"/site.png\">"
                     "</head><body></body></html>",
                     "text/html");
        server.serve(QStringLiteral("/site.png"), encodedImage(solidImage(32, kIconColour), "png"),
                     "image/png");
        SiteRow site;
        site.intKind = kKindSite;
        site.strTitle = QStringLiteral("ループバックの便り");
        site.strHtmlUrl = server.url(QStringLiteral("/"));
        site.strXmlUrl = server.url(QStringLiteral("/feed"));
        env.state().SiteTable.append(site);
        for (int i = 1; i <= 3; ++i) {
            ArticleRecord article;
            article.Title = QStringLiteral("見出し %1").arg(i);
            article.Link = server.url(QStringLiteral("/%1").arg(i));
            article.SiteIndex = 0;
            // As the patrol takes an item in: the entry carries its site's feed and title.
            article.FeedUrl = site.strXmlUrl;
            article.SiteTitle = site.strTitle;
            article.PubDate = wallClock(QDate(2026, 12, 8), QTime(9, i, 0));
            env.state().NewsQueue.append(article);
        }
        service = std::make_unique<IconService>(http, dir.filePath(QStringLiteral("icons")), clock);
        icons = std::make_unique<SiteIcons>(*service, env.state().settings);
        ticker = std::make_unique<frmTicker>(env.state(), host);
        ticker->useSiteIcons(icons.get());
    }

    ~TickerIconsTest() override {
        ticker.reset();
        service->shutdown(2000);
    }

    void show() {
        ticker->AfterInit();
        ticker->ShowForm(ShowMode::Permanent);
        for (int ticks = 0; ticks < 200 && ticker->tmrDynamic->isActive(); ++ticks) {
            ticker->tmrDynamic_Timer();
        }
    }

    // Waits for the loopback site's icon to arrive and be drawn.
    bool iconArrives() {
        return QTest::qWaitFor([this] { return ticker->picIcon()->showsSiteIcon(); }, 15000);
    }

    TestEnv env;
    NoTickerHost host;
    LoopbackServer server;
    QTemporaryDir dir;
    FakeClock clock;
    HttpClient http;
    std::unique_ptr<IconService> service;
    std::unique_ptr<SiteIcons> icons;
    std::unique_ptr<frmTicker> ticker;
};

TEST_F(TickerIconsTest, TheHeadlinesSiteIconShowsInTheTickersIcon) {
    if (!whyNoXServer().isEmpty()) {
        GTEST_SKIP() << "no X server: " << whyNoXServer().toStdString();
    }
    show();
    ASSERT_EQ(ticker->shownIndex(), 1);
    ASSERT_TRUE(iconArrives());
    QApplication::processEvents();
    const QImage drawn = ticker->picIcon()->grab().toImage();
    // The 16 px square of the icon, at the screen's pixel ratio.
    EXPECT_GE(iconPixels(drawn),
              int(16 * 16 * drawn.devicePixelRatio() * drawn.devicePixelRatio()));

    // The texts that stand instead of entries bring the program's icon back.
    ticker->ResetTicker();
    EXPECT_FALSE(ticker->picIcon()->showsSiteIcon());
    EXPECT_EQ(iconPixels(ticker->picIcon()->grab().toImage()), 0);
}

TEST_F(TickerIconsTest, TheMarqueeDrawsTheIconBeforeEachSiteTitle) {
    if (!whyNoXServer().isEmpty()) {
        GTEST_SKIP() << "no X server: " << whyNoXServer().toStdString();
    }
    env.state().settings.TICKER_MARQUEE = TickerPresentationKind::Marquee;
    show();
    auto* strip = ticker->findChild<MarqueeStrip*>();
    ASSERT_NE(strip, nullptr);
    // Once the first headline has come whole into the band, its site's icon shows.
    ASSERT_TRUE(QTest::qWaitFor([this] { return ticker->shownIndex() >= 1; }, 15000));
    ASSERT_TRUE(iconArrives());
    QApplication::processEvents();
    // The strip as drawn on screen (the X server may put its frames together).
    const QPoint at = strip->mapToGlobal(QPoint(0, 0));
    const QImage band = QGuiApplication::primaryScreen()
                            ->grabWindow(0, at.x(), at.y(), strip->width(), strip->height())
                            .toImage();
    EXPECT_GE(iconPixels(band), 16 * 16);
    // After the time, before the title: never at the strip's left edge where the item began.
    int left = band.width();
    for (int x = 0; x < band.width() && left == band.width(); ++x) {
        for (int y = 0; y < band.height(); ++y) {
            if (iconPixels(band.copy(x, y, 1, 1)) == 1) {
                left = x;
                break;
            }
        }
    }
    EXPECT_GT(left, 0);
}

TEST_F(TickerIconsTest, WithTheOptionOffNothingIsFetchedAndTheProgramsIconShows) {
    if (!whyNoXServer().isEmpty()) {
        GTEST_SKIP() << "no X server: " << whyNoXServer().toStdString();
    }
    env.state().settings.SITE_ICONS = false;
    show();
    ASSERT_EQ(ticker->shownIndex(), 1);
    QApplication::processEvents();
    EXPECT_FALSE(ticker->picIcon()->showsSiteIcon());
    EXPECT_EQ(service->pendingCount(), 0);
    EXPECT_EQ(server.requests().size(), 0);
}

}  // namespace
