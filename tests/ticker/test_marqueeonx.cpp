// The marquee's X path (ServerStrip) on a real X server: what the server shows against what
// Qt's paint draws for the same line.

#include <gtest/gtest.h>

#include <QAbstractNativeEventFilter>
#include <QTest>
#include <cstdlib>
#include <xcb/xcb.h>

#include "platform/x11/serverstrip.h"
#include "platform/x11/x11connection.h"
#include "tests/common/testenv.h"
#include "tests/common/x11tests.h"
#include "ticker/marqueepresentation.h"
#include "ticker/marqueestrip.h"
#include "ticker/tickerhost.h"
#include "ticker/tickershowing.h"

namespace {

// Counts the X errors that reach the program's connection.
class XErrorCount final : public QAbstractNativeEventFilter {
public:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType == "xcb_generic_event_t" &&
            static_cast<const xcb_generic_event_t*>(message)->response_type == 0) {
            ++count;
        }
        return false;
    }
    int count = 0;
};

// Waits until the server has done every request sent so far and Qt has dealt with what it
// answered (errors included).
void sync() {
    xcb_connection_t* connection = x11Connection();
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

// The pixels the server shows in a window's rectangle (device pixels).
QImage serverPixels(WId window, const QRect& area) {
    xcb_connection_t* connection = x11Connection();
    xcb_get_image_reply_t* reply = xcb_get_image_reply(
        connection,
        xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, xcb_window_t(window),
                      std::int16_t(area.x()), std::int16_t(area.y()), std::uint16_t(area.width()),
                      std::uint16_t(area.height()), ~0U),
        nullptr);
    if (reply == nullptr) {
        return {};
    }
    const QImage image = QImage(xcb_get_image_data(reply), area.width(), area.height(),
                                area.width() * 4, QImage::Format_RGB32)
                             .copy();
    std::free(reply);
    return image;
}

class NoWindow final : public TickerView, public TickerHost {
public:
    bool isOnScreen() const override { return true; }
    bool isArticleTimerRunning() const override { return false; }
    void setArticleTimer(bool) override {}
    void enterShowing() override { showing->load(); }
    void leaveShowing() override { showing->unload(); }
    void setStampAndSite(const QString&, const QString&) override {}
    void wipeHeadline(const QString&) override {}
    void endWipe() override {}
    void setHeadline(const QString&) override {}
    void setPaused(bool) override {}
    void setButtons(const TickerButtons&) override {}
    void openArticleList() override {}
    void closeArticleList() override {}
    void openTickerSettings() override {}

    TickerShowing* showing = nullptr;
};

// One line of headlines drawn twice: by the X server in a strip shown on a window, and by
// Qt's paint in a strip never shown, moved alike.
class MarqueeOnX : public ::testing::Test {
protected:
    void SetUp() override {
        if (x11Connection() == nullptr) {
            GTEST_SKIP() << "no X server: " << whyNoXServer().toStdString();
        }
        QCoreApplication::instance()->installNativeEventFilter(&xErrors);
        serverWindow.showing = &serverShowing;
        paintedWindow.showing = &paintedShowing;
        SiteRow site;
        site.strTitle = QStringLiteral("Site");
        env.state().SiteTable.append(site);
        for (const QString& title :
             {QStringLiteral("First headline"), QStringLiteral("二番目の見出し Second"),
              QStringLiteral("W").repeated(4000), QStringLiteral("After the wide one")}) {
            ArticleRecord record;
            record.Title = title;
            record.SiteTitle = site.strTitle;
            env.state().NewsQueue.append(record);
        }

        host = std::make_unique<QWidget>(nullptr, Qt::FramelessWindowHint);
        host->setGeometry(0, 0, 640, 33);
        onServer = new MarqueeStrip(host.get());
        onServer->setGeometry(20, 0, 600, 33);
        painted = std::make_unique<MarqueeStrip>(nullptr);
        painted->resize(600, 33);
        for (MarqueeStrip* strip : {onServer, painted.get()}) {
            strip->setColors(QColor(0, 0, 80), QColor(255, 255, 200));
        }
        serverShowing.usePresentation(
            std::make_unique<MarqueePresentation>(serverShowing, *onServer));
        paintedShowing.usePresentation(
            std::make_unique<MarqueePresentation>(paintedShowing, *painted));
        host->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(host.get()));
        ASSERT_TRUE(onServer->drawnByServer());
        both([](TickerShowing& showing) {
            showing.ShowForm(ShowMode::Permanent);
            showing.playPressed();  // the tests move the lines themselves
        });
        xErrors.count = 0;
    }
    void TearDown() override { QCoreApplication::instance()->removeNativeEventFilter(&xErrors); }

    template <class Fn>
    void both(Fn fn) {
        fn(serverShowing);
        fn(paintedShowing);
    }
    // Moves both lines by frames of 3 frame times.
    void move(int frames) {
        both([](TickerShowing& showing) { showing.playPressed(); });
        for (int i = 0; i < frames; ++i) {
            both([](TickerShowing& showing) {
                dynamic_cast<MarqueePresentation&>(showing.presentation()).frame(3);
            });
        }
        both([](TickerShowing& showing) { showing.playPressed(); });
    }
    // The columns in which the server shows other pixels than Qt paints: none.
    void expectSamePixels() {
        sync();
        const QImage wanted = painted->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage shown = serverPixels(
            host->winId(), QRect(onServer->mapTo(host.get(), QPoint()), onServer->size()));
        ASSERT_EQ(shown.size(), wanted.size());
        QList<int> wrong;
        for (int x = 0; x < shown.width() && wrong.size() < 10; ++x) {
            for (int y = 0; y < shown.height(); ++y) {
                if (((shown.pixel(x, y) ^ wanted.pixel(x, y)) & 0xFFFFFF) != 0) {
                    wrong.append(x);
                    break;
                }
            }
        }
        EXPECT_EQ(wrong, QList<int>{});
    }

    XErrorCount xErrors;
    TestEnv env;
    NoWindow serverWindow;
    NoWindow paintedWindow;
    std::unique_ptr<QWidget> host;
    MarqueeStrip* onServer = nullptr;
    std::unique_ptr<MarqueeStrip> painted;
    // Declared after the strips, so that their presentations go first.
    TickerShowing serverShowing{env.state(), serverWindow, serverWindow};
    TickerShowing paintedShowing{env.state(), paintedWindow, paintedWindow};
};

TEST_F(MarqueeOnX, ServerDrawsWhatQtPaintsAsTheLineMovesAndAfterItsWindowIsMadeAnew) {
    expectSamePixels();  // the first headline still beyond the right edge
    for (const int frames : {50, 37, 120}) {
        SCOPED_TRACE(frames);
        move(frames);
        expectSamePixels();
    }
    both([](TickerShowing& showing) { showing.nextPressed(); });
    expectSamePixels();

    // Qt makes a new native window for the host: the strip makes its own anew in it.
    const WId before = host->winId();
    {
        QWidget holder;
        host->setParent(&holder);
        host->setParent(nullptr, Qt::Window | Qt::FramelessWindowHint);
    }
    host->setGeometry(0, 0, 640, 33);
    host->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(host.get()));
    ASSERT_NE(host->winId(), before);
    expectSamePixels();
    move(40);
    expectSamePixels();
    EXPECT_EQ(xErrors.count, 0);

    // The count sees an error when there is one.
    xcb_free_pixmap(x11Connection(), 0x7fffff);
    sync();
    for (int i = 0; i < 200 && xErrors.count == 0; ++i) {
        QTest::qWait(10);
    }
    EXPECT_EQ(xErrors.count, 1);
}

// A headline of 4000 W is wider than any picture the server keeps: it is cut short, and
// the band shows its end and what follows it without wrong columns or X errors.
TEST_F(MarqueeOnX, AHeadlineWiderThanThePicturesTheServerKeepsIsCutShort) {
    const MarqueeText wide{QStringLiteral("Site"), env.state().NewsQueue[3].Title, {}, {}, -1};
    ASSERT_GT(marqueeTextWidth(onServer->fontMetrics(), wide), ServerStrip::kLargest);
    for (int i = 0; i < 3; ++i) {
        both([](TickerShowing& showing) { showing.nextPressed(); });
    }
    ASSERT_EQ(serverShowing.shownIndex(), 3);
    expectSamePixels();
    move(150);
    expectSamePixels();
    EXPECT_EQ(xErrors.count, 0);
}

}  // namespace
