#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <QWidget>
#include <cstdio>
#include <unistd.h>

// Ends the process right after the first paint of a window: the start-up figures of
// scripts/bench count from exec to the first shown window, not the tear-down. Prints the
// milliseconds since sinceStart was started (the top of main).
class ExitAfterFirstPaint final : public QObject {
public:
    ExitAfterFirstPaint(QWidget& window, const QElapsedTimer& sinceStart) : started(sinceStart) {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen) {
            seen = true;
            // Queued: the paint itself runs first.
            QMetaObject::invokeMethod(
                this,
                [this] {
                    std::printf("first paint after %lld ms\n",
                                static_cast<long long>(started.elapsed()));
                    std::fflush(stdout);
                    _exit(0);
                },
                Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const QElapsedTimer& started;
    bool seen = false;
};
