#include <gtest/gtest.h>

#include <QList>
#include <QWidget>
#include <array>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>
#include <xcb/xcb.h>

#include "platform/desktop/systemtrayicon.h"
#include "platform/x11/x11connection.h"
#include "platform/x11/x11dock.h"
#include "tests/common/x11tests.h"

namespace {

// A second client of the test's X server: it reads what the program's connection wrote,
// and plays the desktop's notification area.
class OtherClient {
public:
    OtherClient() : connection(xcb_connect(nullptr, &screenNumber)) {}
    ~OtherClient() { xcb_disconnect(connection); }
    OtherClient(const OtherClient&) = delete;
    OtherClient& operator=(const OtherClient&) = delete;

    [[nodiscard]] bool ok() const { return xcb_connection_has_error(connection) == 0; }

    xcb_atom_t atom(const char* name) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, quint16(std::strlen(name)), name), nullptr);
        const xcb_atom_t result = reply != nullptr ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return result;
    }

    // A window's 32-bit property; empty when it has none.
    std::vector<quint32> property(xcb_window_t window, const char* name) {
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            connection,
            xcb_get_property(connection, 0, window, atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, 64),
            nullptr);
        std::vector<quint32> values;
        if (reply != nullptr && reply->format == 32) {
            const auto* data = static_cast<const quint32*>(xcb_get_property_value(reply));
            values.assign(data, data + xcb_get_property_value_length(reply) / 4);
        }
        std::free(reply);
        return values;
    }

    // Takes the tray selection of the screen with a window of its own and says so to every
    // client, as a notification area that starts does.
    void startTray() {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        trayWindow = xcb_generate_id(connection);
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, trayWindow, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        const xcb_atom_t selection =
            atom(("_NET_SYSTEM_TRAY_S" + std::to_string(screenNumber)).c_str());
        xcb_set_selection_owner(connection, trayWindow, selection, XCB_CURRENT_TIME);
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = screen->root;
        message.type = atom("MANAGER");
        message.data.data32[0] = XCB_CURRENT_TIME;
        message.data.data32[1] = selection;
        message.data.data32[2] = trayWindow;
        xcb_send_event(connection, 0, screen->root, XCB_EVENT_MASK_STRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
        roundTrip();
    }
    // The notification area ends: its window and with it the selection go.
    void stopTray() {
        xcb_destroy_window(connection, trayWindow);
        trayWindow = XCB_WINDOW_NONE;
        roundTrip();
    }

private:
    // Returns once the server has done everything asked so far.
    void roundTrip() {
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    }

    int screenNumber = 0;
    xcb_connection_t* connection;
    xcb_window_t trayWindow = XCB_WINDOW_NONE;
};

// Returns once the server has done what the program's own connection asked so far: requests
// of two clients reach it in no set order.
void programRoundTrip() {
    xcb_connection_t* connection = x11Connection();
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

class DesktopX11Test : public ::testing::Test {
protected:
    void SetUp() override {
        if (!whyNoXServer().isEmpty()) {
            GTEST_SKIP() << whyNoXServer().toStdString();
        }
        ASSERT_TRUE(other.ok());
    }
    OtherClient other;
};

TEST_F(DesktopX11Test, ADockWindowCarriesItsTypeAndStrutsInDevicePixels) {
    QWidget window(nullptr, Qt::Tool | Qt::FramelessWindowHint);
    window.resize(640, 30);
    const auto id = xcb_window_t(window.winId());
    ASSERT_EQ(window.devicePixelRatioF(), 2.0);  // device pixels differ, so scaling shows
    const std::vector<quint32> dock = {other.atom("_NET_WM_WINDOW_TYPE_DOCK")};

    // Struts: left, right, top, bottom, then the start and end of each edge's strip.
    const struct {
        const char* name;
        std::array<int, 12> strut;
        std::vector<quint32> device;
    } cases[] = {
        {"top", {0, 0, 30, 0, 0, 0, 0, 0, 0, 639, 0, 0}, {0, 0, 60, 0, 0, 0, 0, 0, 0, 1279, 0, 0}},
        {"bottom, a screen to the right",
         {0, 0, 0, 25, 0, 0, 0, 0, 0, 0, 640, 1279},
         {0, 0, 0, 50, 0, 0, 0, 0, 0, 0, 1280, 2559}},
        {"left", {12, 0, 0, 0, 0, 399, 0, 0, 0, 0, 0, 0}, {24, 0, 0, 0, 0, 799, 0, 0, 0, 0, 0, 0}},
        {"nothing reserved, negatives read as none",
         {-4, 0, 0, 0, 7, 9, 0, 0, 0, 0, 0, 0},
         {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(setX11Dock(window, c.strut));
        programRoundTrip();
        EXPECT_EQ(other.property(id, "_NET_WM_WINDOW_TYPE"), dock);
        EXPECT_EQ(other.property(id, "_NET_WM_STRUT_PARTIAL"), c.device);
        EXPECT_EQ(other.property(id, "_NET_WM_STRUT"),
                  std::vector<quint32>(c.device.begin(), c.device.begin() + 4));
    }

    // Taken back: none of the three is left for a window manager to read.
    ASSERT_TRUE(setX11Dock(window, std::nullopt));
    programRoundTrip();
    for (const char* name : {"_NET_WM_WINDOW_TYPE", "_NET_WM_STRUT_PARTIAL", "_NET_WM_STRUT"}) {
        EXPECT_TRUE(other.property(id, name).empty()) << name;
    }

    // On every desktop, and back.
    ASSERT_TRUE(setX11OnEveryDesktop(window, true));
    programRoundTrip();
    EXPECT_EQ(other.property(id, "_NET_WM_DESKTOP"), std::vector<quint32>{0xFFFFFFFF});
    ASSERT_TRUE(setX11OnEveryDesktop(window, false));
    programRoundTrip();
    EXPECT_TRUE(other.property(id, "_NET_WM_DESKTOP").empty());
}

TEST_F(DesktopX11Test, TheTrayWatchSeesANotificationAreaComeAndGo) {
    SystemTrayIcon tray;
    QList<bool> told;
    QObject::connect(&tray, &TrayIcon::availabilityChanged,
                     [&told](bool available) { told.append(available); });
    // Each check takes the answer to the question the one before asked.
    const auto settle = [&tray] {
        tray.checkAvailability();
        tray.checkAvailability();
    };

    settle();
    EXPECT_FALSE(tray.isSystemTrayAvailable());
    other.startTray();
    settle();
    EXPECT_TRUE(tray.isSystemTrayAvailable());
    other.stopTray();
    settle();
    EXPECT_FALSE(tray.isSystemTrayAvailable());
    other.startTray();
    settle();
    EXPECT_TRUE(tray.isSystemTrayAvailable());
    EXPECT_EQ(told, QList<bool>({false, true, false, true}));
}

}  // namespace
