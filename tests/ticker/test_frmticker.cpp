#include <gtest/gtest.h>

#include <QDir>
#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include "tests/common/testenv.h"
#include "core/shownstore.h"
#include "rules/displayrule.h"
#include "patrol/md5.h"
#include "platform/desktop/screeninfo.h"
#include "ticker/clstransparency.h"
#include "ticker/frmticker.h"
#include "ticker/marqueestrip.h"
#include "ticker/shapeframe.h"
#include "ticker/textbutton.h"
#include "ticker/tickerhost.h"
#include "ticker/tickericon.h"
#include "ticker/tickersurface.h"
#include "ticker/wipesurface.h"
#include "tests/common/wholetexts.h"

namespace {

class FakeTickerHost final : public TickerHost {
public:
    void openArticleList() override { ++opened; }
    void closeArticleList() override { ++closed; }
    void openTickerSettings() override { ++settings; }
    int opened = 0;
    int closed = 0;
    int settings = 0;
};

const QString kFeedUrl = QStringLiteral("http://www.example.com/index.rdf");

class TickerTest : public ::testing::Test {
protected:
    TickerTest() {
        env.screen.setTwips(19200, 14400);
        for (const char* title : {"Site A", "Site B", "Site C"}) {
            SiteRow site;
            site.intKind = kKindSite;
            site.strTitle = QString::fromUtf8(title);
            site.strXmlUrl = kFeedUrl + QLatin1Char('?') + site.strTitle;
            env.state().SiteTable.append(site);
        }
        settings().TICKER_LEFT = 3000;
        settings().TICKER_TOP = 1500;
        ticker = std::make_unique<frmTicker>(env.state(), host);
    }

    Settings& settings() { return env.state().settings; }
    ArticleArray& queue() { return env.state().NewsQueue; }

    // Entries titled "記事 1" … with links http://example.com/1 …, dated unless asked.
    void fillQueue(int count, qint16 siteIndex = 1, bool dated = true) {
        for (int i = 1; i <= count; ++i) {
            ArticleRecord record;
            record.Title = QStringLiteral("記事 %1").arg(queue().lastIndex() + 1);
            record.Link = QStringLiteral("http://example.com/%1").arg(queue().lastIndex() + 1);
            record.SiteIndex = siteIndex;
            if (env.state().SiteTable.isValidIndex(siteIndex)) {
                record.SiteTitle = env.state().SiteTable[siteIndex].strTitle;
                record.FeedUrl = env.state().SiteTable[siteIndex].strXmlUrl;
            }
            if (dated) {
                record.PubDate = wallClock(QDate(2006, 3, 16), QTime(7, 24, 0));
            }
            queue().append(record);
        }
    }
    static QString title(int i) { return QStringLiteral("記事 %1").arg(i); }

    // The wipe's surface (the presentation unless the test chose another).
    WipeSurface& wipe() { return dynamic_cast<WipeSurface&>(ticker->surface()); }
    MarqueeStrip* marquee() { return ticker->findChild<MarqueeStrip*>(); }
    // A widget's rectangle in the window's pixels.
    QRect inWindow(const QWidget* widget) {
        return {widget->mapTo(ticker.get(), QPoint(0, 0)), widget->size()};
    }

    // Runs the animation timer until no animation is left; returns the number of ticks.
    int runAnimations() {
        int ticks = 0;
        while (ticker->tmrDynamic->isActive() && ticks < 1000) {
            ticker->tmrDynamic_Timer();
            ++ticks;
        }
        return ticks;
    }
    // One article tick followed by its wipe: what the user sees NEWS_INTERVAL later.
    void nextArticle() {
        ticker->tmrNextNews_Timer();
        runAnimations();
    }

    TestEnv env;
    FakeTickerHost host;
    std::unique_ptr<frmTicker> ticker;
};

class TickerTestInEnglish : public InEnglish, public TickerTest {};

// The one-glyph buttons show their captions whole in English too, paused or not.
TEST_F(TickerTestInEnglish, ButtonCaptionsShowWhole) {
    fillQueue(1);
    ticker->ShowForm(ShowMode::Permanent);
    for (bool paused : {false, true}) {
        SCOPED_TRACE(paused);
        for (const QLabel* button : {ticker->controls().button(TickerControls::Play),
                                     ticker->controls().button(TickerControls::List),
                                     ticker->controls().button(TickerControls::Settings),
                                     ticker->controls().button(TickerControls::Hide)}) {
            SCOPED_TRACE(button->objectName().toStdString());
            EXPECT_FALSE(QRegularExpression(QStringLiteral("[\\x{3040}-\\x{9fff}]"))
                             .match(button->text())
                             .hasMatch());
            EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()),
                      button->contentsRect().width());
        }
        ticker->cmdPlay_Click();
    }
}

TEST_F(TickerTest, LayoutFollowsTheTwipTable) {
    struct Widget {
        const char* name;
        QRect pixels;
    };
    // Twips / 15, both edges rounded.
    const Widget widgets[] = {
        {"picIcon", {0, 0, 16, 16}},         {"lblTimeStamp", {24, 2, 345, 12}},
        {"lblSiteTitle", {128, 2, 241, 12}}, {"lineTicker", {24, 16, 345, 1}},
        {"lblNews", {24, 19, 416, 12}},      {"lblWall", {376, 0, 97, 17}},
        {"cmdPlay", {376, 3, 17, 16}},       {"cmdBefor", {392, 3, 17, 13}},
        {"cmdNext", {408, 3, 17, 13}},       {"cmdShowList", {424, 3, 17, 13}},
        {"cmdSetting", {440, 3, 17, 13}},    {"cmdHide", {456, 3, 17, 13}},
        {"cmdWeb", {440, 19, 33, 14}},       {"shpButton_0", {376, 0, 17, 17}},
        {"shpButton_5", {456, 0, 17, 17}},   {"shpButton_6", {440, 19, 33, 13}},
    };
    for (const Widget& w : widgets) {
        auto* child = ticker->findChild<QWidget*>(QLatin1String(w.name));
        ASSERT_NE(child, nullptr) << w.name;
        QRect actual = inWindow(child);
        if (qobject_cast<QLabel*>(child) && QByteArray(w.name).startsWith("lbl")) {
            // Text labels grow downwards to the font's line height.
            EXPECT_GE(actual.height(), w.pixels.height()) << w.name;
            actual.setHeight(w.pixels.height());
        }
        EXPECT_EQ(actual, w.pixels) << w.name;
    }
    EXPECT_EQ(ticker->size(), QSize(474, 33));
    EXPECT_EQ(ticker->widthTwips(), 7110);
    EXPECT_EQ(ticker->heightTwips(), 495);
    EXPECT_TRUE(ticker->windowFlags().testFlag(Qt::Tool));
    EXPECT_TRUE(ticker->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_FALSE(ticker->picIcon()->pixmap().isNull());

    const QStringList captions = {ticker->controls().button(TickerControls::Play)->text(),
                                  ticker->controls().button(TickerControls::Previous)->text(),
                                  ticker->controls().button(TickerControls::Next)->text(),
                                  ticker->controls().button(TickerControls::List)->text(),
                                  ticker->controls().button(TickerControls::Settings)->text(),
                                  ticker->controls().button(TickerControls::Hide)->text(),
                                  ticker->controls().button(TickerControls::Web)->text()};
    EXPECT_EQ(captions.join(QLatin1Char(' ')), QStringLiteral("停 << >> 覧 設 閉 web"));
    EXPECT_EQ(ticker->controls().button(TickerControls::Next)->toolTip(),
              QStringLiteral("次の記事に進めます"));

    // Front to back: buttons, frames, lblWall; the overlay in front of the headline.
    const QObjectList& order = ticker->children();
    EXPECT_LT(order.indexOf(ticker->controls().wall()), order.indexOf(ticker->controls().frame(0)));
    EXPECT_LT(order.indexOf(ticker->controls().frame(6)),
              order.indexOf(ticker->controls().button(TickerControls::Play)));
    // The surface lies behind the icon, the wall and the buttons.
    EXPECT_LT(order.indexOf(&ticker->surface()), order.indexOf(ticker->controls().wall()));
    EXPECT_LT(order.indexOf(&ticker->surface()), order.indexOf(ticker->picIcon()));
    const QObjectList& texts = wipe().children();
    EXPECT_LT(texts.indexOf(wipe().lblNews()), texts.indexOf(wipe().lblNewsOver()));
}

TEST_F(TickerTest, PopUpRoundSlidesInShowsEachEntryOnceAndSlidesOut) {
    settings().TICKER_MODE = TickerMode::PopUp;
    fillQueue(3);
    ticker->ShowForm(ShowMode::OneRound);
    EXPECT_EQ(ticker->leftTwips(), 19190);
    EXPECT_EQ(ticker->topTwips(), 520);
    EXPECT_EQ(ticker->tmrNextNews->interval(), 8000);
    EXPECT_EQ(ticker->intDynamicFlags, frmTicker::kSlideIn | frmTicker::kSurface);

    for (int step = 1; step <= 14; ++step) {
        ticker->tmrDynamic_Timer();
        EXPECT_EQ(ticker->leftTwips(), 19190 - 474 * step);
    }
    ticker->tmrDynamic_Timer();
    EXPECT_EQ(ticker->leftTwips(), 12090);
    EXPECT_EQ(ticker->intDynamicFlags, 0);  // the wipe of headline 1 ended with the slide
    EXPECT_FALSE(ticker->tmrDynamic->isActive());
    EXPECT_EQ(wipe().lblNews()->text(), title(1));

    QStringList shown = {wipe().lblNews()->text()};
    nextArticle();
    shown.append(wipe().lblNews()->text());
    nextArticle();
    shown.append(wipe().lblNews()->text());
    EXPECT_EQ(shown, QStringList({title(1), title(2), title(3)}));
    EXPECT_TRUE(ticker->isRoundDone());

    ticker->tmrNextNews_Timer();  // the last entry had its full interval: hide
    EXPECT_TRUE(queue().isEmpty());
    EXPECT_FALSE(ticker->isShowing());
    EXPECT_FALSE(ticker->tmrNextNews->isActive());
    EXPECT_EQ(host.closed, 1);
    EXPECT_EQ(runAnimations(), 16);
    EXPECT_EQ(ticker->leftTwips(), 19210);
    EXPECT_EQ(ticker->nextIndex(), 0);  // unloaded: reset, parked, still alive
    // Hidden, and beyond every screen should a window manager map it.
    EXPECT_FALSE(ticker->isVisible());
    EXPECT_FALSE(ticker->frameGeometry().intersects(QRect(0, 0, 1280, 960)));
}

TEST_F(TickerTest, PermanentShowingCyclesThroughTheQueue) {
    fillQueue(3);
    ticker->ShowForm(ShowMode::Permanent);
    EXPECT_EQ(ticker->leftTwips(), 3000);
    EXPECT_EQ(ticker->topTwips(), 1500);
    EXPECT_TRUE(ticker->tmrNextNews->isActive());
    runAnimations();
    QList<int> order = {ticker->shownIndex()};
    for (int tick = 0; tick < 5; ++tick) {
        nextArticle();
        order.append(ticker->shownIndex());
        EXPECT_EQ(wipe().lblNews()->text(), title(order.last()));
    }
    EXPECT_EQ(order, QList<int>({1, 2, 3, 1, 2, 3}));
    EXPECT_TRUE(ticker->isShowing());

    ticker->ShowForm(
        ShowMode::OneRound);  // the patrol's call changes nothing in a permanent showing
    EXPECT_EQ(ticker->showMode(), ShowMode::Permanent);
    EXPECT_EQ(ticker->nextIndex(), 1);
}

TEST_F(TickerTest, ShowFormZeroTurnsAPopUpShowingPermanent) {
    settings().TICKER_MODE = TickerMode::PopUp;
    fillQueue(2);
    ticker->ShowForm(ShowMode::OneRound);
    runAnimations();
    ticker->ShowForm(ShowMode::Permanent);
    EXPECT_EQ(ticker->showMode(), ShowMode::Permanent);
    for (int expected : {2, 1, 2}) {
        nextArticle();
        EXPECT_EQ(ticker->shownIndex(), expected);
    }
    EXPECT_TRUE(ticker->isShowing());
    EXPECT_EQ(ticker->leftTwips(), 12090);
}

TEST_F(TickerTest, RoundEndWaitsWhileAnArticleListIsOpen) {
    settings().TICKER_MODE = TickerMode::PopUp;
    // The list of a site (index 0 counts), or of an account's feed.
    for (const bool account : {false, true}) {
        SCOPED_TRACE(account);
        fillQueue(2);
        ticker->ShowForm(ShowMode::OneRound);
        runAnimations();
        nextArticle();
        ASSERT_TRUE(ticker->isRoundDone());
        if (account) {
            ticker->callArticle = queue()[2];
        } else {
            ticker->intCallOPMLKey = 0;
        }
        for (int tick = 0; tick < 2; ++tick) {
            ticker->tmrNextNews_Timer();
            EXPECT_TRUE(ticker->isShowing());
            EXPECT_TRUE(ticker->tmrNextNews->isActive());
            EXPECT_EQ(ticker->controls().button(TickerControls::Play)->text(),
                      QStringLiteral("停"));
            EXPECT_EQ(queue().lastIndex(), 2);
            EXPECT_EQ(wipe().lblNews()->text(), title(2));
        }
        // The list window closed itself.
        ticker->intCallOPMLKey = -1;
        ticker->callArticle.reset();
        ticker->tmrNextNews_Timer();
        EXPECT_FALSE(ticker->isShowing());
        EXPECT_TRUE(queue().isEmpty());
        EXPECT_EQ(ticker->intDynamicFlags, frmTicker::kSlideOut);
        runAnimations();
    }
}

TEST_F(TickerTest, OneEntryQueues) {
    // Permanent: the dated entry on display is not wiped in again.
    fillQueue(1);
    ticker->ShowForm(ShowMode::Permanent);
    runAnimations();
    ticker->tmrNextNews_Timer();
    EXPECT_EQ(ticker->intDynamicFlags, 0);
    EXPECT_EQ(wipe().lblNews()->text(), title(1));
    ticker->cmdHide_Click();

    // Pop-up: shown for one interval, then the ticker hides.
    settings().TICKER_MODE = TickerMode::PopUp;
    fillQueue(1);
    ticker->ShowForm(ShowMode::OneRound);
    runAnimations();
    EXPECT_EQ(wipe().lblNews()->text(), title(1));
    EXPECT_TRUE(ticker->isRoundDone());
    ticker->tmrNextNews_Timer();
    EXPECT_FALSE(ticker->isShowing());
    runAnimations();
    EXPECT_EQ(ticker->leftTwips(), 19210);
}

TEST_F(TickerTest, UndatedEntryShowsTheSiteTitleAndIsWipedInAtEveryTick) {
    fillQueue(1, 2, false);
    ticker->ShowForm(ShowMode::Permanent);
    runAnimations();
    EXPECT_EQ(wipe().lblTimeStamp()->text(), QStringLiteral("Site C"));
    EXPECT_TRUE(wipe().lblSiteTitle()->text().isEmpty());
    ticker->tmrNextNews_Timer();
    EXPECT_EQ(ticker->intDynamicFlags, frmTicker::kSurface);

    fillQueue(1, 0, true);
    nextArticle();  // entry 1 again: the round had wrapped before entry 2 came
    nextArticle();
    EXPECT_EQ(wipe().lblTimeStamp()->text(), QStringLiteral("06/03/16 07:24"));
    EXPECT_EQ(wipe().lblSiteTitle()->text(), QStringLiteral("Site A"));

    // A date with seconds never runs into the site title, whatever the font's width.
    queue()[2].PubDate = wallClock(QDate(2006, 3, 21), QTime(10, 5, 30));
    ticker->cmdBefor_Click();
    ticker->cmdNext_Click();
    const QLabel* stamp = wipe().lblTimeStamp();
    EXPECT_GE(wipe().lblSiteTitle()->x(),
              stamp->x() + stamp->fontMetrics().horizontalAdvance(stamp->text()));
    EXPECT_EQ(wipe().lblSiteTitle()->geometry().right(), stamp->geometry().right());
}

TEST_F(TickerTest, ManualNavigationPausesAndKeepsTheIndexRules) {
    fillQueue(5);
    ticker->ShowForm(ShowMode::Permanent);
    runAnimations();
    EXPECT_FALSE(ticker->controls().button(TickerControls::Previous)->isEnabled());
    EXPECT_TRUE(ticker->controls().button(TickerControls::Next)->isEnabled());

    ticker->cmdBefor_Click();  // on entry 1: only pauses
    EXPECT_EQ(ticker->shownIndex(), 1);
    EXPECT_FALSE(ticker->tmrNextNews->isActive());
    EXPECT_EQ(ticker->controls().button(TickerControls::Play)->text(), QStringLiteral("再"));

    ticker->cmdPlay_Click();
    EXPECT_TRUE(ticker->tmrNextNews->isActive());
    EXPECT_EQ(ticker->controls().button(TickerControls::Play)->text(), QStringLiteral("停"));
    nextArticle();
    ASSERT_EQ(ticker->shownIndex(), 2);

    ticker->cmdNext_Click();  // entry 3 at once, without a wipe
    EXPECT_EQ(ticker->shownIndex(), 3);
    EXPECT_EQ(wipe().lblNews()->text(), title(3));
    EXPECT_EQ(ticker->intDynamicFlags, 0);
    EXPECT_EQ(ticker->currentLink(), QStringLiteral("http://example.com/3"));
    EXPECT_EQ(ticker->controls().button(TickerControls::Play)->text(), QStringLiteral("再"));
    EXPECT_FALSE(ticker->tmrNextNews->isActive());

    ticker->cmdPlay_Click();
    nextArticle();
    EXPECT_EQ(ticker->shownIndex(), 4);

    ticker->cmdPlay_Click();  // pause on 4, resume: 5 follows
    EXPECT_EQ(ticker->controls().button(TickerControls::Play)->text(), QStringLiteral("再"));
    ticker->cmdPlay_Click();
    nextArticle();
    EXPECT_EQ(ticker->shownIndex(), 5);
    EXPECT_FALSE(ticker->controls().button(TickerControls::Next)->isEnabled());
    ticker->cmdNext_Click();  // no wrap-around
    EXPECT_EQ(ticker->shownIndex(), 5);
    ticker->cmdBefor_Click();
    EXPECT_EQ(ticker->shownIndex(), 4);
    EXPECT_EQ(wipe().lblNews()->text(), title(4));
}

TEST_F(TickerTest, NavigationDuringAWipeShowsTheChosenHeadline) {
    fillQueue(3);
    ticker->ShowForm(ShowMode::Permanent);
    runAnimations();
    ticker->tmrNextNews_Timer();  // wipe of 2 starts
    ticker->tmrDynamic_Timer();
    ticker->cmdNext_Click();
    runAnimations();
    EXPECT_EQ(wipe().lblNews()->text(), title(3));
    EXPECT_FALSE(wipe().lblNewsOver()->isVisible());
}

TEST_F(TickerTest, ResetThenShowFormRestartsAtEntryOneWithoutSlidingIn) {
    settings().TICKER_MODE = TickerMode::PopUp;
    fillQueue(2);
    ticker->ShowForm(ShowMode::OneRound);
    runAnimations();
    nextArticle();
    ASSERT_TRUE(ticker->isRoundDone());

    ticker->ResetTicker();
    EXPECT_TRUE(queue().isEmpty());
    EXPECT_FALSE(ticker->tmrNextNews->isActive());
    EXPECT_EQ(wipe().lblNews()->text(), QStringLiteral("再巡回中です // しばらくお待ちください"));
    EXPECT_EQ(wipe().lblTimeStamp()->text(), QStringLiteral("Ruorvane3"));
    EXPECT_TRUE(wipe().lblSiteTitle()->text().isEmpty());
    EXPECT_FALSE(ticker->controls().button(TickerControls::Web)->isEnabled());
    // The buttons still point at entries that left with the queue: harmless.
    ticker->cmdBefor_Click();
    ticker->cmdShowList_Click();
    EXPECT_EQ(host.opened, 0);

    fillQueue(2, 2);
    ticker->ShowForm(ShowMode::OneRound);
    EXPECT_EQ(ticker->intDynamicFlags, frmTicker::kSurface);  // no new slide-in
    EXPECT_EQ(ticker->leftTwips(), 12090);
    EXPECT_EQ(ticker->shownIndex(), 1);
    EXPECT_TRUE(ticker->tmrNextNews->isActive());
    // The round that had ended before the reset does not end the new one.
    nextArticle();
    EXPECT_EQ(wipe().lblNews()->text(), title(2));
    EXPECT_TRUE(ticker->isShowing());
}

TEST_F(TickerTest, HideIsDroppedDuringSlideInAndImmediateWhenAlwaysShown) {
    settings().TICKER_MODE = TickerMode::PopUp;
    fillQueue(2);
    ticker->ShowForm(ShowMode::OneRound);
    ticker->tmrDynamic_Timer();
    ticker->cmdHide_Click();
    EXPECT_TRUE(queue().isEmpty());
    runAnimations();
    EXPECT_EQ(ticker->leftTwips(), 12090);  // stays, can be closed again
    ticker->cmdHide_Click();
    EXPECT_EQ(runAnimations(), 16);
    EXPECT_EQ(ticker->leftTwips(), 19210);

    settings().TICKER_MODE = TickerMode::AlwaysShown;
    fillQueue(2);
    ticker->ShowForm(ShowMode::Permanent);
    ticker->intCallOPMLKey = 1;
    ticker->cmdHide_Click();
    EXPECT_EQ(ticker->leftTwips(), 19210);
    EXPECT_EQ(ticker->intDynamicFlags, 0);
    EXPECT_FALSE(ticker->tmrDynamic->isActive());
    EXPECT_EQ(ticker->intCallOPMLKey, -1);
    EXPECT_EQ(host.closed, 1);
}

TEST_F(TickerTest, ClickOnTheTextStepsAsideAndComesBack) {
    struct Case {
        TickerMode mode;
        int backLeft;
    };
    for (const Case c :
         {Case{TickerMode::AlwaysShown, 3000}, Case{TickerMode::PopUp, 19200 - 7110}}) {
        settings().TICKER_MODE = c.mode;
        fillQueue(2);
        ticker->ShowForm(patrolShowMode(c.mode));
        ticker->tmrDynamic_Timer();  // mid-animation
        const bool dynamicRunning = ticker->tmrDynamic->isActive();

        QTest::mouseClick(wipe().lblNews(), Qt::RightButton);
        EXPECT_EQ(ticker->leftTwips(), 19210);
        EXPECT_FALSE(ticker->tmrNextNews->isActive());
        EXPECT_FALSE(ticker->tmrDynamic->isActive());
        EXPECT_TRUE(ticker->tmrPause->isActive());
        ticker->tmrNextNews_Timer();  // off screen: nothing is shown
        EXPECT_EQ(ticker->shownIndex(), 1);

        ticker->tmrPause_Timer();
        EXPECT_EQ(ticker->leftTwips(), c.backLeft);
        EXPECT_FALSE(ticker->tmrPause->isActive());
        EXPECT_TRUE(ticker->tmrNextNews->isActive());
        EXPECT_EQ(ticker->tmrDynamic->isActive(), dynamicRunning);
        ticker->cmdHide_Click();
        runAnimations();
    }
}

// The pointer resting on the ticker keeps the headline and the pop-up; a held headline
// keeps them until a click; a highlighted one is drawn in its colour through the wipe.
TEST_F(TickerTest, PointerAndHeldHeadlinesKeepThePopUpHighlightColours) {
    settings().TICKER_MODE = TickerMode::PopUp;
    fillQueue(3);
    queue()[2].Display = RuleAction::Highlight;
    queue()[2].HighlightColour = 0x12AB34;
    queue()[3].Display = RuleAction::Hold;
    ticker->ShowForm(ShowMode::OneRound);
    runAnimations();
    ASSERT_EQ(ticker->shownIndex(), 1);
    EXPECT_FALSE(wipe().lblNews()->textColour().isValid());

    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(ticker.get(), &enter);
    nextArticle();
    nextArticle();
    EXPECT_EQ(ticker->shownIndex(), 1);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(ticker.get(), &leave);
    EXPECT_TRUE(ticker->tmrNextNews->isActive());
    nextArticle();
    EXPECT_EQ(ticker->shownIndex(), 2);
    EXPECT_EQ(wipe().lblNews()->textColour(), QColor(0x12, 0xAB, 0x34));

    // The held last headline: no slide-out, however many intervals pass.
    nextArticle();
    EXPECT_EQ(ticker->shownIndex(), 3);
    EXPECT_FALSE(wipe().lblNews()->textColour().isValid());
    for (int i = 0; i < 3; ++i) {
        nextArticle();
    }
    EXPECT_TRUE(ticker->isShowing());
    EXPECT_FALSE(ticker->isParked());
    // The play button shows the ticker stopped; >> can let the last headline go.
    EXPECT_EQ(ticker->controls().button(TickerControls::Play)->text(), QStringLiteral("再"));
    EXPECT_TRUE(ticker->controls().button(TickerControls::Next)->isEnabled());

    // A click releases it and steps aside; back on screen, the round ends.
    QTest::mouseClick(wipe().lblNews(), Qt::LeftButton);
    EXPECT_EQ(ticker->controls().button(TickerControls::Play)->text(), QStringLiteral("停"));
    EXPECT_FALSE(ticker->controls().button(TickerControls::Next)->isEnabled());
    ticker->tmrPause_Timer();
    nextArticle();
    EXPECT_FALSE(ticker->isShowing());
}

TEST_F(TickerTest, ClicksOnIconButtonsWallAndOverlayDoNotStepAside) {
    fillQueue(3);
    ticker->ShowForm(ShowMode::Permanent);
    ticker->tmrDynamic_Timer();  // the wipe overlay is on screen
    ticker->controls().button(TickerControls::Previous)->setEnabled(false);
    const int left = ticker->leftTwips();
    const QList<QWidget*> targets = {ticker->picIcon(), ticker->controls().wall(),
                                     wipe().lblNewsOver(),
                                     ticker->controls().button(TickerControls::Previous)};
    for (QWidget* target : targets) {
        QTest::mousePress(target, Qt::LeftButton, {}, QPoint(1, 1));
        QTest::mouseRelease(target, Qt::LeftButton, {}, QPoint(1, 1));
        EXPECT_EQ(ticker->leftTwips(), left) << target->objectName().toStdString();
    }
    // Only a left click presses a button.
    QTest::mouseClick(ticker->controls().button(TickerControls::Settings), Qt::RightButton);
    EXPECT_EQ(host.settings, 0);
    QTest::mouseClick(ticker->controls().button(TickerControls::Settings), Qt::LeftButton);
    EXPECT_EQ(host.settings, 1);
    EXPECT_EQ(ticker->leftTwips(), left);
}

void sendMouse(QWidget* widget, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(pos), widget->mapToGlobal(QPointF(pos)), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

TEST_F(TickerTest, DraggingTheIconMovesOnlyWithTheLeftButtonAndStoresOnRelease) {
    fillQueue(1);
    ticker->ShowForm(ShowMode::Permanent);
    QWidget* icon = ticker->picIcon();
    sendMouse(icon, QEvent::MouseButtonPress, {5, 5}, Qt::RightButton, Qt::RightButton);
    sendMouse(icon, QEvent::MouseMove, {9, 12}, Qt::NoButton, Qt::RightButton);
    EXPECT_EQ(ticker->leftTwips(), 3000);
    EXPECT_EQ(ticker->topTwips(), 1500);
    settings().TICKER_LEFT = 0;
    sendMouse(icon, QEvent::MouseButtonRelease, {9, 12}, Qt::RightButton, Qt::NoButton);
    EXPECT_EQ(settings().TICKER_LEFT, 3000.0f);
    EXPECT_EQ(settings().TICKER_TOP, 1500.0f);

    sendMouse(icon, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton);
    sendMouse(icon, QEvent::MouseMove, {8, 9}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(ticker->leftTwips(), 3000 + 3 * 15);
    EXPECT_EQ(ticker->topTwips(), 1500 + 4 * 15);
    EXPECT_EQ(ticker->pos(), QPoint(203, 104));
    sendMouse(icon, QEvent::MouseMove, {8, 9}, Qt::NoButton, Qt::LeftButton | Qt::RightButton);
    EXPECT_EQ(ticker->leftTwips(), 3045);
    sendMouse(icon, QEvent::MouseButtonRelease, {8, 9}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(settings().TICKER_LEFT, 3045.0f);
    EXPECT_EQ(settings().TICKER_TOP, 1560.0f);

    settings().TICKER_MODE = TickerMode::PopUp;  // pop-up mode: no dragging
    sendMouse(icon, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton);
    sendMouse(icon, QEvent::MouseMove, {8, 9}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(ticker->leftTwips(), 3045);
}

TEST_F(TickerTest, ShownListGetsOneLinePerArticleAndFailuresDoNotStopTheTicker) {
    fillQueue(2);
    const QString file = QStringLiteral("temporary/") + MD5Hex(env.state().SiteTable[1].strXmlUrl) +
                         QStringLiteral(".dat");
    ticker->ShowForm(ShowMode::Permanent);
    runAnimations();
    EXPECT_EQ(env.readFile(file).size(), 48);
    nextArticle();
    nextArticle();  // entry 1 again
    ticker->cmdNext_Click();
    ticker->cmdBefor_Click();
    EXPECT_EQ(env.readFile(file).size(), 2 * 48);
    EXPECT_TRUE(
        env.readFile(file).startsWith(MD5Hex(QStringLiteral("http://example.com/1")).toLatin1()));

    // A file where the directory should be: no line can be written.
    ticker->cmdHide_Click();
    env.state().shownStore().flush();
    ASSERT_TRUE(QDir(env.path(QStringLiteral("temporary"))).removeRecursively());
    env.writeFile(QStringLiteral("temporary"), "x");
    fillQueue(2);
    ticker->ShowForm(ShowMode::Permanent);
    runAnimations();
    nextArticle();
    EXPECT_EQ(ticker->shownIndex(), 2);
    EXPECT_TRUE(ticker->tmrNextNews->isActive());
    EXPECT_EQ(env.readFile(QStringLiteral("temporary")), QByteArray("x"));
}

TEST_F(TickerTest, EmptyTitleShowsAnEmptyHeadline) {
    fillQueue(3);
    queue()[2].Title.clear();
    queue()[3].Title.clear();
    ticker->ShowForm(ShowMode::Permanent);
    ticker->tmrDynamic_Timer();
    ticker->tmrNextNews_Timer();  // entry 2 while headline 1 still wipes in
    EXPECT_EQ(ticker->intDynamicFlags, frmTicker::kSurface);
    runAnimations();
    EXPECT_TRUE(wipe().lblNews()->text().isEmpty());
    EXPECT_EQ(wipe().lblTimeStamp()->text(), QStringLiteral("06/03/16 07:24"));

    wipe().lblNews()->setText(QStringLiteral("old"));
    ticker->tmrNextNews_Timer();  // entry 3, no wipe running
    EXPECT_TRUE(wipe().lblNews()->text().isEmpty());
    EXPECT_EQ(ticker->intDynamicFlags, 0);
}

TEST_F(TickerTest, WebButtonOpensOnlyHttpLinks) {
    struct Case {
        QString link;
        bool opened;
    };
    const Case cases[] = {{QStringLiteral("http://example.com/a"), true},
                          {QStringLiteral("javascript:alert(1)"), false},
                          {QString(), false}};
    for (const Case& c : cases) {
        queue().clear();
        fillQueue(1);
        queue()[1].Link = c.link;
        env.browser.opened.clear();
        ticker->ShowForm(ShowMode::Permanent);
        ticker->cmdWeb_Click();
        EXPECT_EQ(env.browser.opened.size(), c.opened ? 1 : 0) << c.link.toStdString();
        EXPECT_EQ(ticker->controls().button(TickerControls::Web)->isEnabled(), !c.link.isEmpty());
        ticker->cmdHide_Click();
    }
}

TEST_F(TickerTest, ArticleListToggleAndSetNewsIndex) {
    fillQueue(2, 2);
    ticker->ShowForm(ShowMode::Permanent);
    ticker->cmdShowList_Click();
    EXPECT_EQ(ticker->intCallOPMLKey, 2);
    EXPECT_EQ(host.opened, 1);
    ticker->cmdShowList_Click();
    EXPECT_EQ(ticker->intCallOPMLKey, -1);
    EXPECT_EQ(host.closed, 1);

    for (qint16 refused : {qint16(3), qint16(0), qint16(-1)}) {
        ticker->SetNewsIndex(refused);
        EXPECT_EQ(ticker->nextIndex(), 2);
    }
    ticker->SetNewsIndex(1);
    EXPECT_EQ(ticker->nextIndex(), 1);
}

TEST_F(TickerTest, AfterInitAppliesIntervalColoursStackingAndOpacity) {
    fillQueue(1);
    ticker->ShowForm(ShowMode::Permanent);
    const QPoint pos = ticker->pos();
    settings().NEWS_INTERVAL = 60;
    settings().TICKER_BACK_COLOR = 0x00FF8000;  // blue 255, green 128, red 0
    settings().TICKER_FORE_COLOR = 0x000000FF;  // red
    settings().TICKER_TOPMOST_FLG = TickerStacking::Normal;
    settings().TICKER_TRANSPARENCY_LEVEL = 50;
    ticker->AfterInit();
    EXPECT_EQ(ticker->tmrNextNews->interval(), 60000);
    EXPECT_EQ(ticker->palette().color(QPalette::Window), QColor(0, 128, 255));
    EXPECT_EQ(wipe().lblNews()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(wipe().lblNewsOver()->palette().color(QPalette::Window), QColor(0, 128, 255));
    EXPECT_EQ(wipe().lineTicker()->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_EQ(ticker->controls().frame(6)->borderColor(), QColor(255, 0, 0));
    EXPECT_FALSE(ticker->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(ticker->isVisible());
    EXPECT_EQ(ticker->pos(), pos);
    EXPECT_EQ(ticker->objTransparency->appliedAlpha(), 128);

    settings().TICKER_TRANSPARENCY_LEVEL = 101;
    settings().TICKER_TOPMOST_FLG = TickerStacking::AboveOthers;
    ticker->AfterInit();
    // The refusal is shown once the handler has returned.
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(env.messageBox.shown.size(), 1);
    EXPECT_DOUBLE_EQ(ticker->windowOpacity(), 128 / 255.0);
    EXPECT_TRUE(ticker->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(ticker->pos(), pos);
}

TEST_F(TickerTest, OpacityFromTheFileIsRefusedOncePerRunAndTheFirstHeadlineStays) {
    settings().TICKER_TRANSPARENCY_LEVEL = 5;
    fillQueue(3);
    // While the message waits for OK, the patrol finds news and asks for a showing.
    env.messageBox.whileShown = [this] { ticker->ShowForm(ShowMode::OneRound); };
    ticker->ShowForm(ShowMode::Permanent);
    QCoreApplication::sendPostedEvents();
    runAnimations();
    EXPECT_EQ(env.messageBox.shown.size(), 1);
    ASSERT_FALSE(env.messageBox.shown.isEmpty());
    EXPECT_EQ(env.messageBox.shown[0].text,
              QStringLiteral("透明度は、10％～100％の間で指定してください。"));
    EXPECT_EQ(ticker->shownIndex(), 1);
    EXPECT_EQ(wipe().lblNews()->text(), title(1));
    EXPECT_EQ(ticker->showMode(), ShowMode::Permanent);
    EXPECT_EQ(ticker->objTransparency->appliedAlpha(), -1);

    // Later showings and the settings dialog's apply say nothing more in this run.
    ticker->cmdHide_Click();
    fillQueue(1);
    ticker->ShowForm(ShowMode::OneRound);
    ticker->AfterInit();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(env.messageBox.shown.size(), 1);
}

TEST_F(TickerTest, CloseRequestParksAndResetsInsteadOfDestroying) {
    fillQueue(2);
    ticker->ShowForm(ShowMode::Permanent);
    QTest::mouseClick(wipe().lblTimeStamp(), Qt::LeftButton);
    ASSERT_TRUE(ticker->tmrPause->isActive());
    EXPECT_FALSE(ticker->close());
    EXPECT_EQ(ticker->leftTwips(), 19210);
    EXPECT_FALSE(ticker->isShowing());
    EXPECT_FALSE(ticker->tmrPause->isActive());  // it would bring the ticker back
    EXPECT_FALSE(ticker->tmrNextNews->isActive());
    EXPECT_TRUE(ticker->currentLink().isEmpty());

    ticker->ShowForm(ShowMode::Permanent);  // a new showing from the start
    EXPECT_EQ(ticker->leftTwips(), 3000);
    EXPECT_EQ(ticker->shownIndex(), 1);
}

// A long headline and a long site title end in "…" within their own room, never under the
// buttons.
TEST_F(TickerTest, LongTextsEndInAnEllipsisBeforeTheButtons) {
    env.state().SiteTable[1].strTitle = QStringLiteral("とても長いサイトの名前").repeated(6);
    fillQueue(1);
    queue()[1].Title = QStringLiteral("長い見出しがウェブのボタンまで続いてしまう").repeated(4);
    ticker->ShowForm(ShowMode::Permanent);
    runAnimations();
    const struct {
        TickerLabel* label;
        QWidget* before;
    } texts[] = {{wipe().lblNews(), ticker->controls().frame(6)},
                 {wipe().lblSiteTitle(), ticker->controls().wall()}};
    for (const auto& t : texts) {
        SCOPED_TRACE(t.label->objectName().toStdString());
        const QString shown = t.label->shownText();
        EXPECT_TRUE(shown.endsWith(QChar(0x2026)));
        EXPECT_LE(t.label->fontMetrics().horizontalAdvance(shown), t.label->width());
        EXPECT_LE(inWindow(t.label).right(), t.before->x());
    }
}

// A band spans its screen at its edge with the buttons at the right end, reserves its strip
// while always shown, cannot be dragged, and is hidden beyond every screen when closed.
TEST_F(TickerTest, ABandSpansItsScreenAndReservesItsStrip) {
    env.screen.setOtherScreens({{QStringLiteral("DP-2"), QRect(1280, 0, 1024, 768)}});
    settings().TICKER_PLACEMENT = TickerPlacement::DockedBottom;
    settings().TICKER_SCREEN = QStringLiteral("DP-2");
    fillQueue(2);
    ticker->ShowForm(ShowMode::Permanent);
    EXPECT_EQ(ticker->geometry(), QRect(1280, 768 - 33, 1024, 33));
    EXPECT_EQ(ticker->controls().button(TickerControls::Hide)->geometry().right(),
              1024 - 1 - (7110 - 6840 - 255) / 15);
    EXPECT_EQ(inWindow(wipe().lblNews()).right() + 1,
              ticker->controls().button(TickerControls::Web)->x());
    // The X screen is 960 high: everything below the band's top is reserved.
    EXPECT_EQ(ticker->reservedStrut(),
              (std::array<int, 12>{0, 0, 0, 960 - 735, 0, 0, 0, 0, 0, 0, 1280, 2303}));
    sendMouse(ticker->picIcon(), QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton);
    sendMouse(ticker->picIcon(), QEvent::MouseMove, {8, 9}, Qt::NoButton, Qt::LeftButton);
    sendMouse(ticker->picIcon(), QEvent::MouseButtonRelease, {8, 9}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(ticker->pos(), QPoint(1280, 735));
    EXPECT_EQ(settings().TICKER_LEFT, 3000.0f);

    // The screen goes: the band follows to the primary one; it comes back: so does the band.
    env.screen.setOtherScreens({});
    EXPECT_EQ(ticker->geometry(), QRect(0, 960 - 33, 1280, 33));
    env.screen.setOtherScreens({{QStringLiteral("DP-2"), QRect(1280, 0, 1024, 768)}});
    EXPECT_EQ(ticker->geometry(), QRect(1280, 768 - 33, 1024, 33));

    const QRect desktop(0, 0, 1280 + 1024, 960);
    for (const auto& away :
         {std::function<void()>([this] { QTest::mouseClick(wipe().lblNews(), Qt::LeftButton); }),
          std::function<void()>([this] { ticker->cmdHide_Click(); })}) {
        away();
        EXPECT_FALSE(ticker->isVisible());
        EXPECT_FALSE(ticker->frameGeometry().intersects(desktop));
        EXPECT_EQ(ticker->reservedStrut(), (std::array<int, 12>{}));
    }

    // A pop-up band reserves nothing and slides in from its edge.
    settings().TICKER_MODE = TickerMode::PopUp;
    fillQueue(1);
    ticker->ShowForm(ShowMode::OneRound);
    EXPECT_EQ(ticker->pos(), QPoint(1280, 768 - 1));
    runAnimations();
    EXPECT_EQ(ticker->pos(), QPoint(1280, 768 - 33));
    EXPECT_EQ(ticker->reservedStrut(), (std::array<int, 12>{}));
}

// A window whose screen is not connected, at start or unplugged later, shows on the primary
// screen: at its place relative to its own screen where that is known and fits, else pulled
// inside. TICKER_LEFT and TICKER_TOP keep the place on its own screen, and the window goes
// back there when the screen returns; a move while it is away counts relative to its screen.
TEST_F(TickerTest, AWindowOnAMissingScreenShowsOnThePrimaryOneAndGoesBack) {
    const QRect primary(0, 0, 1280, 960);
    const QList<ScreenDesc> dp2 = {{QStringLiteral("DP-2"), QRect(1280, 0, 1024, 768)}};
    settings().TICKER_SCREEN = QStringLiteral("DP-2");
    settings().TICKER_LEFT = 1824 * 15;
    fillQueue(1);

    // Never connected in this run: pulled inside the primary screen.
    ticker->ShowForm(ShowMode::Permanent);
    EXPECT_EQ(ticker->geometry(), QRect(1280 - 474, 100, 474, 33));
    env.screen.setOtherScreens(dp2);
    EXPECT_EQ(ticker->geometry(), QRect(1824, 100, 474, 33));

    // Unplugged: the same place on the primary screen as it had on its own.
    env.screen.setOtherScreens({});
    EXPECT_EQ(ticker->geometry(), QRect(544, 100, 474, 33));
    EXPECT_TRUE(primary.contains(ticker->geometry()));
    // A click on the icon that moves nothing keeps the place on DP-2.
    sendMouse(ticker->picIcon(), QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton);
    sendMouse(ticker->picIcon(), QEvent::MouseButtonRelease, {5, 5}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(settings().TICKER_LEFT, 1824.0f * 15);
    env.screen.setOtherScreens(dp2);
    EXPECT_EQ(ticker->geometry(), QRect(1824, 100, 474, 33));

    // Dragged while away: the move is kept relative to DP-2.
    env.screen.setOtherScreens({});
    sendMouse(ticker->picIcon(), QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton);
    sendMouse(ticker->picIcon(), QEvent::MouseMove, {8, 9}, Qt::NoButton, Qt::LeftButton);
    sendMouse(ticker->picIcon(), QEvent::MouseButtonRelease, {8, 9}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(ticker->geometry(), QRect(547, 104, 474, 33));
    EXPECT_EQ(settings().TICKER_LEFT, 1827.0f * 15);
    env.screen.setOtherScreens(dp2);
    EXPECT_EQ(ticker->geometry(), QRect(1827, 104, 474, 33));
    EXPECT_EQ(settings().TICKER_SCREEN, QStringLiteral("DP-2"));
}

// Switching screens takes the window's own place along, relative to the screen, and back to
// where it was on a screen it returns to, even where the other screen was too small for it;
// a band in between leaves it alone.
TEST_F(TickerTest, TheWindowsOwnPlaceIsKeptAcrossScreenAndPlacementSwitches) {
    env.screen.setOtherScreens({{QStringLiteral("DP-2"), QRect(1280, 0, 1024, 768)}});
    fillQueue(1);
    const auto switchTo = [this](const QString& screen, TickerPlacement placement) {
        ticker->moveToScreen(screen);
        settings().TICKER_PLACEMENT = placement;
        ticker->AfterInit();
    };
    for (const int left : {544, 1100}) {
        SCOPED_TRACE(left);
        settings().TICKER_SCREEN.clear();
        settings().TICKER_LEFT = float(left * 15);
        ticker.reset();
        ticker = std::make_unique<frmTicker>(env.state(), host);
        ticker->ShowForm(ShowMode::Permanent);
        ASSERT_EQ(ticker->pos(), QPoint(left, 100));

        switchTo(QStringLiteral("DP-2"), TickerPlacement::Window);
        // 1100 does not fit on DP-2: its right edge stops at the screen's.
        EXPECT_EQ(ticker->pos(), QPoint(std::min(1280 + left, 1280 + 1024 - 474), 100));
        switchTo(QStringLiteral("DP-2"), TickerPlacement::DockedTop);
        EXPECT_EQ(ticker->pos(), QPoint(1280, 0));
        switchTo(QString(), TickerPlacement::DockedBottom);
        switchTo(QString(), TickerPlacement::Window);
        EXPECT_EQ(ticker->pos(), QPoint(left, 100));
        EXPECT_EQ(settings().TICKER_LEFT, float(left * 15));
        ticker->cmdHide_Click();
    }
}

// A pop-up band slides in from its edge as the window does from the right, in as many steps,
// from the first showing on; and out again in as many as the window.
TEST_F(TickerTest, APopUpBandSlidesInStepByStep) {
    for (const TickerPlacement placement :
         {TickerPlacement::DockedBottom, TickerPlacement::DockedTop, TickerPlacement::Window}) {
        SCOPED_TRACE(int(placement));
        ticker.reset();
        queue().clear();
        settings().TICKER_MODE = TickerMode::PopUp;
        settings().TICKER_PLACEMENT = placement;
        ticker = std::make_unique<frmTicker>(env.state(), host);
        fillQueue(1);
        ticker->ShowForm(ShowMode::OneRound);
        // Distance from the place it slides to, along its edge.
        const QPoint shown = placement == TickerPlacement::Window      ? QPoint(19200 - 7110, 520)
                             : placement == TickerPlacement::DockedTop ? QPoint(0, 0)
                                                                       : QPoint(0, 14400 - 495);
        const auto away = [&] {
            return (QPoint(ticker->leftTwips(), ticker->topTwips()) - shown).manhattanLength();
        };
        const int step = placement == TickerPlacement::Window ? 474 : 33;
        int previous = away();
        EXPECT_EQ(previous, placement == TickerPlacement::Window ? 7100 : 485);
        int steps = 0;
        while (ticker->intDynamicFlags & frmTicker::kSlideIn) {
            ticker->tmrDynamic_Timer();
            ++steps;
            EXPECT_EQ(away(), std::max(0, previous - step));
            previous = away();
        }
        EXPECT_EQ(steps, 15);
        EXPECT_EQ(away(), 0);
        runAnimations();
        ticker->cmdHide_Click();
        EXPECT_EQ(runAnimations(), 16);
    }
}

// The focus frame says that the keys drive the ticker: drawn when it was handed the keyboard,
// not when a click on a button made its window active.
TEST_F(TickerTest, OnlyTheKeyboardCommandDrawsTheFocusFrame) {
    fillQueue(2);
    ticker->ShowForm(ShowMode::Permanent);
    ticker->activateWindow();  // what a click does under a window manager
    ASSERT_TRUE(QTest::qWaitForWindowActive(ticker.get()));
    QTest::mouseClick(ticker->controls().button(TickerControls::Play), Qt::LeftButton);
    EXPECT_FALSE(ticker->focusFrame()->isVisible());
    ticker->takeKeyboardFocus();
    EXPECT_TRUE(ticker->focusFrame()->isVisible());

    // Another window in between; a click on a button makes the ticker active again, and on
    // the headline too.
    QWidget other;
    for (QWidget* clicked : {static_cast<QWidget*>(ticker->controls().button(TickerControls::Next)),
                             static_cast<QWidget*>(wipe().lblNews())}) {
        ticker->takeKeyboardFocus();
        other.show();
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
        EXPECT_FALSE(ticker->focusFrame()->isVisible());
        ticker->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(ticker.get()));
        QTest::mouseClick(clicked, Qt::LeftButton);
        EXPECT_FALSE(ticker->focusFrame()->isVisible());
        ticker->tmrPause_Timer();
    }
}

// Descenders of the time stamp, the site title and the headline ("Q", "g", "y") are drawn
// whole, in the desktop's Latin UI font and in a Japanese one, within the window's height
// and above the line under the top row.
TEST_F(TickerTest, DescendersAreNotCut) {
    const QFont appFont = QApplication::font();
    for (const QString& family : {appFont.family(), QStringLiteral("Noto Sans CJK JP")}) {
        SCOPED_TRACE(family.toStdString());
        ticker.reset();
        QApplication::setFont(QFont(family));
        ticker = std::make_unique<frmTicker>(env.state(), host);
        wipe().lblTimeStamp()->setText(QStringLiteral("Quorvane3"));
        wipe().lblSiteTitle()->setText(QStringLiteral("Breaking gjpqy"));
        wipe().lblNews()->setText(QStringLiteral("Quorvane3 jogging typography ニュース"));

        // Rows of a text's ink: drawn in the label, and drawn with room to spare.
        const auto inkRows = [](const QImage& image) {
            int first = -1;
            int last = -1;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    if (qGray(image.pixel(x, y)) > 0) {
                        first = first < 0 ? y : first;
                        last = y;
                        break;
                    }
                }
            }
            return last - first + 1;
        };
        for (TickerLabel* label :
             {wipe().lblTimeStamp(), wipe().lblSiteTitle(), wipe().lblNews()}) {
            SCOPED_TRACE(label->text().toStdString());
            const QImage drawn = label->grab().toImage();
            QImage free(label->width(), 4 * label->height(), QImage::Format_RGB32);
            free.fill(Qt::black);
            QPainter painter(&free);
            painter.setPen(Qt::white);
            painter.setFont(label->font());
            painter.drawText(QPointF(0, 2 * label->height()), label->shownText());
            painter.end();
            EXPECT_EQ(inkRows(drawn), inkRows(free));
            EXPECT_LE(label->geometry().bottom(), ticker->height() - 1);
            if (label != wipe().lblNews()) {
                EXPECT_LT(label->geometry().bottom(), wipe().lineTicker()->y());
            }
        }
    }
    ticker.reset();
    QApplication::setFont(appFont);
}

// The marquee: one moving line in place of the two; a click opens the headline under the
// pointer.
TEST_F(TickerTest, MarqueeClickOpensTheHeadlineUnderThePointer) {
    settings().TICKER_MARQUEE = TickerPresentationKind::Marquee;
    fillQueue(3);
    ticker->AfterInit();
    ticker->ShowForm(ShowMode::Permanent);
    ASSERT_NE(marquee(), nullptr);
    EXPECT_TRUE(marquee()->isVisible());
    // The wipe's lines are gone with its surface.
    EXPECT_EQ(ticker->findChild<QWidget*>(QStringLiteral("lblNews")), nullptr);
    auto& line = dynamic_cast<MarqueePresentation&>(ticker->tickerShowing().presentation());
    const auto secondAt = [&line] {
        const auto& items = line.line().items();
        return items.size() < 2 ? INT_MAX : items[1].start - line.line().pixelOffset();
    };
    for (int frames = 0; frames < 1000 && secondAt() > marquee()->width() - 4; ++frames) {
        line.frame(1);
    }
    const int x = secondAt() + 2;
    ASSERT_LT(x, marquee()->width());
    QTest::mouseClick(marquee(), Qt::LeftButton, {}, QPoint(x, 10));
    EXPECT_EQ(env.browser.opened, QStringList{QStringLiteral("http://example.com/2")});
    EXPECT_FALSE(ticker->isParked());
}

// A headline's picture is never wider than the X server takes (32,767 device pixels), at
// any pixel ratio; a text too wide for it is cut short, its lead to a third at most.
TEST(MarqueePictures, StayWithinWhatTheServerTakes) {
    struct Row {
        qreal ratio;
        int textWidth;
        int itemWidth;
    };
    const Row rows[] = {
        {1, 32766, 32766}, {1, 32767, 32767},   {1, 32768, 32767},   {1, 1'000'000, 32767},
        {2, 16383, 16383}, {2, 16384, 16383},   {2.5, 13106, 13106}, {2.5, 13107, 13106},
        {3, 10923, 10922}, {1.5, 21845, 21844}, {1, 0, 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(QStringLiteral("%1 × %2").arg(r.textWidth).arg(r.ratio).toStdString());
        const int width = marqueeItemWidth(r.textWidth, r.ratio);
        EXPECT_EQ(width, r.itemWidth);
        EXPECT_LE((QSize(width, 33) * r.ratio).width(), 32767);
    }

    const QFontMetrics metrics(QApplication::font());
    const QString site = QStringLiteral("サイト").repeated(500);
    const QString headline = QStringLiteral("Breaking ").repeated(1000);
    struct Fit {
        MarqueeText text;
        int leadWidth;
        bool leadCut;
        bool headlineCut;
    };
    const int room = 13106;
    // The lead is also never wider than the band (leadWidth).
    const Fit fits[] = {
        {{QStringLiteral("07:24 Site"), QStringLiteral("Short"), {}, {}, -1}, room, false, false},
        {{QStringLiteral("07:24 Site"), headline, {}, {}, -1}, room, false, true},
        {{site, QStringLiteral("Short"), {}, {}, -1}, room, true, false},
        {{site, headline, {}, {}, -1}, room, true, true},
        {{QString(), headline, {}, {}, -1}, room, false, true},
        {{site, QStringLiteral("Short"), {}, {}, -1}, 600, true, false},
        {{QStringLiteral("07:24 Site"), QStringLiteral("Short"), {}, {}, -1}, 20, true, false},
    };
    for (const Fit& f : fits) {
        SCOPED_TRACE(f.text.lead.left(10).toStdString());
        const MarqueeText fitted = fitMarqueeText(metrics, f.text, room, f.leadWidth);
        EXPECT_LE(marqueeTextWidth(metrics, fitted), room);
        EXPECT_LE(metrics.horizontalAdvance(fitted.lead), std::min(room / 3, f.leadWidth));
        EXPECT_EQ(fitted.lead != f.text.lead, f.leadCut);
        EXPECT_EQ(fitted.headline != f.text.headline, f.headlineCut);
        if (f.headlineCut) {
            EXPECT_TRUE(fitted.headline.endsWith(QChar(0x2026)));
        }
    }
}

TEST_F(TickerTest, KeysDriveAFocusedTickerAsItsButtonsDo) {
    struct Case {
        const char* what;
        int key;
        Qt::KeyboardModifiers modifiers;
        // What the ticker shows afterwards: entry shown, paused, parked; and what was opened.
        int shown;
        bool paused;
        bool parked;
        int browserOpens;
        int listOpens;
        int settingsOpens;
    };
    // Each case starts on entry 2 of 3, running.
    const Case cases[] = {
        {"Space pauses", Qt::Key_Space, {}, 2, true, false, 0, 0, 0},
        {"Left steps back", Qt::Key_Left, {}, 1, true, false, 0, 0, 0},
        {"Right steps on", Qt::Key_Right, {}, 3, true, false, 0, 0, 0},
        {"Enter opens the article", Qt::Key_Return, {}, 2, false, false, 1, 0, 0},
        {"keypad Enter too", Qt::Key_Enter, Qt::KeypadModifier, 2, false, false, 1, 0, 0},
        {"L lists the site", Qt::Key_L, {}, 2, false, false, 0, 1, 0},
        {"S opens the settings", Qt::Key_S, {}, 2, false, false, 0, 0, 1},
        {"Esc closes", Qt::Key_Escape, {}, 2, false, true, 0, 0, 0},
        {"Ctrl+S is not S", Qt::Key_S, Qt::ControlModifier, 2, false, false, 0, 0, 0},
        {"other keys do nothing", Qt::Key_X, {}, 2, false, false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ticker->Form_Unload();
        queue().clear();
        fillQueue(3);
        env.browser.opened.clear();
        host = {};
        ticker->ShowForm(ShowMode::Permanent);
        nextArticle();
        ASSERT_EQ(ticker->shownIndex(), 2);

        QTest::keyClick(ticker.get(), Qt::Key(c.key), c.modifiers);
        runAnimations();
        EXPECT_EQ(ticker->isParked(), c.parked);
        if (!c.parked) {
            EXPECT_EQ(ticker->shownIndex(), c.shown);
            EXPECT_EQ(ticker->controls().button(TickerControls::Play)->text(),
                      c.paused ? QStringLiteral("再") : QStringLiteral("停"));
        }
        EXPECT_EQ(env.browser.opened.size(), c.browserOpens);
        EXPECT_EQ(host.opened, c.listOpens);
        EXPECT_EQ(host.settings, c.settingsOpens);
    }

    // A key whose button is disabled does nothing: no entry before the first.
    ticker->SetNewsIndex(1);
    QTest::keyClick(ticker.get(), Qt::Key_Right);
    QTest::keyClick(ticker.get(), Qt::Key_Left);
    QTest::keyClick(ticker.get(), Qt::Key_Left);
    EXPECT_EQ(ticker->shownIndex(), 1);
    EXPECT_FALSE(ticker->controls().button(TickerControls::Previous)->isEnabled());
}

TEST_F(TickerTest, FocusIsSeenAndTheHeadlineIsNamedForAssistiveTechnology) {
    const auto nameOf = [](QWidget* widget) {
        return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
    };
    fillQueue(2);
    ticker->ShowForm(ShowMode::Permanent);
    // Named (and so announced) with its site as the wipe starts, while the old text is drawn.
    EXPECT_EQ(nameOf(wipe().lblNews()), QStringLiteral("Site B：") + title(1));
    EXPECT_NE(wipe().lblNews()->text(), title(1));
    EXPECT_EQ(nameOf(ticker->controls().button(TickerControls::Play)), QStringLiteral("一時停止"));
    ticker->cmdPlay_Click();
    EXPECT_EQ(nameOf(ticker->controls().button(TickerControls::Play)), QStringLiteral("再開"));
    QAccessible::queryAccessibleInterface(ticker->controls().button(TickerControls::Next))
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(nameOf(wipe().lblNews()), QStringLiteral("Site B：") + title(2));

    EXPECT_FALSE(ticker->focusFrame()->isVisible());
    ticker->activateWindow();
    ticker->takeKeyboardFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(ticker.get()));
    EXPECT_TRUE(ticker->hasFocus());
    EXPECT_TRUE(ticker->focusFrame()->isVisible());
    ticker->cmdHide_Click();
    EXPECT_FALSE(ticker->focusFrame()->isVisible());
}

}  // namespace
