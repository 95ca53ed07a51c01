#include "ticker/tickerband.h"

#include <QTimer>
#include <QWidget>
#include <optional>

#include "platform/x11/x11dock.h"

TickerBand::TickerBand(QWidget& bandWindow, std::function<void()> remapWindow)
    : window(bandWindow), remap(std::move(remapWindow)) {}

void TickerBand::map(bool onEveryDesktop) {
    if (!window.testAttribute(Qt::WA_WState_Created)) {
        // Made now, so that the window manager finds its properties as it maps it.
        static_cast<void>(window.winId());
    }
    setOnEveryDesktop(onEveryDesktop);
    window.show();
}

void TickerBand::setOnEveryDesktop(bool every) {
    if (setX11OnEveryDesktop(window, every)) {
        everyDesktop = every;
    }
}

bool TickerBand::forgetReserved() {
    const bool was = dockApplied;
    dockApplied = false;
    return was;
}

void TickerBand::reserve(bool on, const std::array<int, 12>& wanted) {
    if (on == dockApplied && wanted == reserved) {
        return;
    }
    reserved = wanted;
    const std::optional<std::array<int, 12>> strut = on ? std::optional(reserved) : std::nullopt;
    if (on != dockApplied && window.isVisible()) {
        // A window manager reads the type when the window is mapped: map it again, a moment
        // later, once the window manager has let go of it (mapped at once, it may stay
        // unmapped).
        window.hide();
        setX11Dock(window, strut);
        if (!on) {
            window.setWindowFlags(window.windowFlags());
        }
        constexpr int kRemapDelayMs = 100;
        QTimer::singleShot(kRemapDelayMs, &window, [this] { remap(); });
    } else {
        if (on && !window.testAttribute(Qt::WA_WState_Created)) {
            static_cast<void>(window.winId());
        }
        setX11Dock(window, strut);
    }
    dockApplied = on;
}
