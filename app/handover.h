#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTimer>

#include "core/openrequest.h"

class AppWindows;

// Acts on feeds and site lists handed to the program from outside: its own command line
// and the lines a second start sends over the instance channel. Requests wait until
// start-up has finished and no modal box is open; of what came meanwhile the last feed goes
// to the new-site dialog and the last site list is offered for loading, and a "show" brings
// the main window to the front. Only those two are
// kept while they wait, so no flood of lines can make the program grow.
class HandOver : public QObject {
    Q_OBJECT
public:
    // How often a batch that waits for a modal box looks again.
    static constexpr int kModalRetryMs = 500;
    // What a start without arguments sends to the running instance: bring the main window
    // back. No URL's encoded form is this word, so it cannot be taken for a request.
    static constexpr char kShowLine[] = "show";

    explicit HandOver(AppWindows& windows, QObject* parent = nullptr);

    // Lines in the instance channel's form (OpenRequest::handOverLine); acted on from the
    // event loop, never inside the caller.
    void receive(const QList<QByteArray>& lines);
    // Start-up has finished: requests received so far are acted on.
    void start();

    // Acts on what is pending now unless start-up runs or a modal box is open.
    void actOnPending();

private:
    [[nodiscard]] bool hasPending() const;

    AppWindows& windows;
    bool pendingShow = false;
    OpenRequest pendingFeed;
    OpenRequest pendingSiteList;
    bool started = false;
    QTimer retry;
};
