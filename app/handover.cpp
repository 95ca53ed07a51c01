#include "app/handover.h"

#include <QApplication>
#include <QDebug>
#include <utility>

#include "app/appwindows.h"
#include "app/frmmain.h"

HandOver::HandOver(AppWindows& appWindows, QObject* parent) : QObject(parent), windows(appWindows) {
    retry.setSingleShot(true);
    retry.setInterval(0);
    connect(&retry, &QTimer::timeout, this, &HandOver::actOnPending);
}

void HandOver::receive(const QList<QByteArray>& lines) {
    for (const QByteArray& line : lines) {
        if (line == kShowLine) {
            pendingShow = true;
            continue;
        }
        const QString text = QString::fromUtf8(line);
        // Lines carry absolute URLs only; a relative path here is not from a second start.
        const OpenRequest request = interpretArgument(text, QString());
        switch (request.kind) {
            case OpenRequest::Kind::Refused:
                qWarning().noquote() << refusalLogText(text, request);
                break;
            case OpenRequest::Kind::Feed:
                pendingFeed = request;
                break;
            case OpenRequest::Kind::SiteList:
                pendingSiteList = request;
                break;
        }
    }
    if (started && hasPending()) {
        retry.start(0);
    }
}

void HandOver::start() {
    started = true;
    if (hasPending()) {
        retry.start(0);
    }
}

bool HandOver::hasPending() const {
    return pendingShow || pendingFeed.kind != OpenRequest::Kind::Refused ||
           pendingSiteList.kind != OpenRequest::Kind::Refused;
}

void HandOver::actOnPending() {
    if (!started || !hasPending()) {
        return;
    }
    // A dialog opened while a modal box waits for its answer would sit behind it or take
    // its keys, so the requests wait until the box is gone.
    if (QApplication::activeModalWidget() != nullptr) {
        retry.start(kModalRetryMs);
        return;
    }
    if (std::exchange(pendingShow, false)) {
        windows.main().bringToFront();
    }
    const OpenRequest feed = std::exchange(pendingFeed, OpenRequest());
    const OpenRequest siteList = std::exchange(pendingSiteList, OpenRequest());
    if (siteList.kind == OpenRequest::Kind::SiteList) {
        windows.main().offerSiteList(siteList.displayText());
    }
    if (feed.kind == OpenRequest::Kind::Feed) {
        windows.openNewSiteDialogFor(feed.displayText());
    }
}
