#include "platform/desktop/systemtrayicon.h"

#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QSystemTrayIcon>
#include <cstdlib>
#include <xcb/xcb.h>

#include "platform/x11/x11connection.h"

// Whether an X11 notification area (an owner of _NET_SYSTEM_TRAY_S<screen>) is there. Every
// request is answered at the next call, long after the answer came in, so the UI never
// waits on the display server.
class X11TrayOwner {
public:
    // Null when the program does not run on X11.
    static std::unique_ptr<X11TrayOwner> create() {
        xcb_connection_t* connection = x11Connection();
        if (connection == nullptr) {
            return nullptr;
        }
        return std::unique_ptr<X11TrayOwner>(new X11TrayOwner(connection));
    }

    ~X11TrayOwner() {
        if (atomPending) {
            xcb_discard_reply(connection, atomRequest.sequence);
        }
        if (ownerPending) {
            xcb_discard_reply(connection, ownerRequest.sequence);
        }
    }
    X11TrayOwner(const X11TrayOwner&) = delete;
    X11TrayOwner& operator=(const X11TrayOwner&) = delete;

    // Takes the last answer and asks again.
    void check() {
        if (atomPending) {
            xcb_intern_atom_reply_t* reply =
                xcb_intern_atom_reply(connection, atomRequest, nullptr);
            selection = reply != nullptr ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
            std::free(reply);
            atomPending = false;
        }
        if (selection == XCB_ATOM_NONE) {
            return;
        }
        if (ownerPending) {
            xcb_get_selection_owner_reply_t* reply =
                xcb_get_selection_owner_reply(connection, ownerRequest, nullptr);
            if (reply != nullptr) {
                owned = reply->owner != XCB_WINDOW_NONE;
                everOwned = everOwned || owned;
            }
            std::free(reply);
        }
        ownerRequest = xcb_get_selection_owner(connection, selection);
        ownerPending = true;
        xcb_flush(connection);
    }

    // True once a notification area seen on the display has gone and none has come back.
    [[nodiscard]] bool vanished() const { return everOwned && !owned; }

private:
    explicit X11TrayOwner(xcb_connection_t* x11Connection) : connection(x11Connection) {
        const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(screenNumber());
        atomRequest = xcb_intern_atom(connection, 0, quint16(name.size()), name.constData());
        atomPending = true;
        xcb_flush(connection);
    }

    // The screen of DISPLAY (":0.1" is screen 1).
    static int screenNumber() {
        const QByteArray display = qgetenv("DISPLAY");
        const qsizetype dot = display.indexOf('.', display.lastIndexOf(':') + 1);
        return dot < 0 ? 0 : display.mid(dot + 1).toInt();
    }

    xcb_connection_t* connection;
    xcb_intern_atom_cookie_t atomRequest{};
    bool atomPending = false;
    xcb_atom_t selection = XCB_ATOM_NONE;
    xcb_get_selection_owner_cookie_t ownerRequest{};
    bool ownerPending = false;
    bool owned = false;
    bool everOwned = false;
};

SystemTrayIcon::SystemTrayIcon(QObject* parent)
    : TrayIcon(parent),
      icon(std::make_unique<QSystemTrayIcon>()),
      x11Owner(X11TrayOwner::create()) {
    // No context menu is given to Qt: a right press is reported, and the program pops up
    // its own tray menu.
    connect(icon.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::DoubleClick) {
                    Q_EMIT doubleClicked();
                } else if (reason == QSystemTrayIcon::Context) {
                    Q_EMIT rightPressed(QCursor::pos());
                }
            });
    availabilityCheck.setInterval(kAvailabilityCheckMs);
    connect(&availabilityCheck, &QTimer::timeout, this, &SystemTrayIcon::checkAvailability);
    availabilityCheck.start();
}

SystemTrayIcon::~SystemTrayIcon() = default;

bool SystemTrayIcon::isSystemTrayAvailable() const {
    // A notification area Qt reaches over D-Bus has no X11 owner: only one that was seen and
    // went counts against Qt's answer.
    return QSystemTrayIcon::isSystemTrayAvailable() && !(x11Owner && x11Owner->vanished());
}

void SystemTrayIcon::checkAvailability() {
    if (x11Owner) {
        x11Owner->check();
    }
    const int available = isSystemTrayAvailable() ? 1 : 0;
    if (available == lastAvailable) {
        return;
    }
    lastAvailable = available;
    Q_EMIT availabilityChanged(available == 1);
}

void SystemTrayIcon::add(const QIcon& image, const QString& toolTip) {
    icon->setIcon(image);
    icon->setToolTip(toolTip);
    icon->show();
}

void SystemTrayIcon::remove() {
    icon->hide();
}

bool SystemTrayIcon::isAdded() const {
    return icon->isVisible();
}
