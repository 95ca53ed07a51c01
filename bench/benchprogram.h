#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <memory>

#include "core/appstate.h"
#include "patrol/networkfeedservice.h"
#include "platform/desktop/browser.h"
#include "platform/desktop/consoleseams.h"
#include "platform/desktop/screeninfo.h"
#include "platform/modal/messagebox.h"
#include "platform/system/clock.h"

// What the benchmarks that run the program's state share.

// Inert seams: the real clock, messages on the console, no browser, a screen of 1024×768.
struct BenchSeams {
    [[nodiscard]] PlatformSeams seams() { return {clock, messageBox, browser, screen}; }

    SystemClock clock;
    ConsoleMessageBox messageBox;
    NoBrowser browser;
    FixedScreen screen{1024, 768};
};

// The program's state over inert seams, with dir as its program directory and a feed service
// of its own (nothing is fetched unless asked).
struct BenchState : BenchSeams {
    explicit BenchState(const QString& dir)
        : state(ProgramPaths{dir, dir, QStringLiteral("Quorvane3")}, seams()) {
        state.useFeedService(std::make_unique<NetworkFeedService>(state.fetchOptions, clock));
    }

    AppState state;
};

// The same with a program directory of its own in a temporary folder.
struct BenchProgram : BenchSeams {
    BenchProgram()
        : state(std::make_unique<AppState>(
              ProgramPaths{dir.path(), dir.path(), QStringLiteral("Quorvane3")}, seams())) {}

    QTemporaryDir dir;
    std::unique_ptr<AppState> state;
};

// The process's resident memory now, in KiB (0 where /proc cannot tell).
inline qint64 residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
        }
    }
    return 0;
}

// Runs the event loop from start() until ended() says so, checked each millisecond.
// Returns the wall time in ms; longestStallMs gets the longest gap between ticks of a 1 ms
// timer meanwhile: the longest the UI thread was held.
template <typename Start, typename Ended>
qint64 runUntil(Start start, Ended ended, qint64& longestStallMs) {
    longestStallMs = 0;
    QElapsedTimer sinceTick;
    QTimer ticks;
    ticks.setTimerType(Qt::PreciseTimer);
    ticks.setInterval(1);
    QObject::connect(&ticks, &QTimer::timeout,
                     [&] { longestStallMs = std::max(longestStallMs, sinceTick.restart()); });
    QElapsedTimer total;
    qint64 totalMs = 0;
    QTimer watch;
    watch.setInterval(1);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (ended()) {
            totalMs = total.elapsed();
            QCoreApplication::quit();
        }
    });
    QTimer::singleShot(0, [&] {
        total.start();
        sinceTick.start();
        ticks.start();
        watch.start();
        start();
    });
    QCoreApplication::exec();
    return totalMs;
}
