#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <cstdlib>
#include <cstring>
#include <vector>
#include <xcb/xcb.h>

#include "platform/x11/x11connection.h"
#include "tests/common/testenv.h"
#include "tests/common/x11tests.h"
#include "ticker/frmticker.h"
#include "ticker/tickerhost.h"

namespace {

class NoTickerHost final : public TickerHost {
public:
    void openArticleList() override {}
    void closeArticleList() override {}
    void openTickerSettings() override {}
};

xcb_atom_t atom(const char* name) {
    xcb_connection_t* connection = x11Connection();
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, quint16(std::strlen(name)), name), nullptr);
    const xcb_atom_t result = reply != nullptr ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

// A window's 32-bit property as the X server holds it; empty when it has none.
std::vector<quint32> property(const QWidget& window, const char* name) {
    xcb_connection_t* connection = x11Connection();
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(connection,
                               xcb_get_property(connection, 0, xcb_window_t(window.winId()),
                                                atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, 64),
                               nullptr);
    std::vector<quint32> values;
    if (reply != nullptr && reply->format == 32) {
        const auto* data = static_cast<const quint32*>(xcb_get_property_value(reply));
        values.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return values;
}

// Under Xvfb, 1280 × 800 device pixels at a device pixel ratio of 2.
class TickerX11Test : public ::testing::Test {
protected:
    TickerX11Test() {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        env.screen.setTwips(pixelsToTwips(screen.width()), pixelsToTwips(screen.height()));
    }

    void showAgain(TickerPlacement placement, TickerMode mode) {
        if (ticker) {
            ticker->cmdHide_Click();
            for (int ticks = 0; ticks < 100 && ticker->tmrDynamic->isActive(); ++ticks) {
                ticker->tmrDynamic_Timer();
            }
        }
        env.state().settings.TICKER_PLACEMENT = placement;
        env.state().settings.TICKER_MODE = mode;
        if (!ticker) {
            ticker = std::make_unique<frmTicker>(env.state(), host);
        }
        ArticleRecord article;
        article.Title = QStringLiteral("見出し");
        env.state().NewsQueue.append(article);
        ticker->ShowForm(patrolShowMode(mode));
        for (int ticks = 0; ticks < 100 && (ticker->intDynamicFlags & frmTicker::kSlideIn);
             ++ticks) {
            ticker->tmrDynamic_Timer();
        }
    }

    TestEnv env;
    NoTickerHost host;
    std::unique_ptr<frmTicker> ticker;
};

// A band is on every virtual desktop, as panels are, whether it reserves its strip or pops
// up; an always-shown one reserves its strip to the screen's last device column. A window is
// left on the desktop the window manager gives it.
TEST_F(TickerX11Test, ABandIsOnEveryDesktopAndReservesItsStripToTheScreensEdge) {
    if (!whyNoXServer().isEmpty()) {
        GTEST_SKIP() << "no X server: " << whyNoXServer().toStdString();
    }
    ASSERT_NE(x11Connection(), nullptr);
    ASSERT_EQ(QGuiApplication::primaryScreen()->geometry(), QRect(0, 0, 640, 400));
    const std::vector<quint32> everyDesktop = {0xFFFFFFFF};
    const std::vector<quint32> dock = {atom("_NET_WM_WINDOW_TYPE_DOCK")};
    struct Case {
        const char* what;
        TickerPlacement placement;
        TickerMode mode;
        std::vector<quint32> desktop;
        std::vector<quint32> strut;
    };
    const Case cases[] = {
        {"band at the bottom",
         TickerPlacement::DockedBottom,
         TickerMode::AlwaysShown,
         everyDesktop,
         {0, 0, 0, 66, 0, 0, 0, 0, 0, 0, 0, 1279}},
        {"band at the top",
         TickerPlacement::DockedTop,
         TickerMode::AlwaysShown,
         everyDesktop,
         {0, 0, 66, 0, 0, 0, 0, 0, 0, 1279, 0, 0}},
        {"pop-up band", TickerPlacement::DockedBottom, TickerMode::PopUp, everyDesktop, {}},
        {"window", TickerPlacement::Window, TickerMode::AlwaysShown, {}, {}},
        {"band again", TickerPlacement::DockedTop, TickerMode::PopUp, everyDesktop, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        showAgain(c.placement, c.mode);
        ASSERT_TRUE(ticker->isVisible());
        EXPECT_EQ(property(*ticker, "_NET_WM_DESKTOP"), c.desktop);
        EXPECT_EQ(property(*ticker, "_NET_WM_STRUT_PARTIAL"), c.strut);
        if (!c.strut.empty()) {
            EXPECT_EQ(property(*ticker, "_NET_WM_WINDOW_TYPE"), dock);
        }
    }
}

}  // namespace
