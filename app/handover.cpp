#include "app/handover.h"

#include <QApplication>
#include <QDebug>

#include "app/appwindows.h"
#include "app/frmmain.h"
#include "core/openrequest.h"

HandOver::HandOver(AppWindows& appWindows, QObject* parent) : QObject(parent), windows(appWindows) {
    retry.setSingleShot(true);
    retry.setInterval(0);
    connect(&retry, &QTimer::timeout, this, &HandOver::actOnPending);
}

void HandOver::receive(const QList<QByteArray>& lines) {
    pending += lines;
    if (started) {
        retry.start(0);
    }
}

void HandOver::start() {
    started = true;
    if (!pending.isEmpty()) {
        retry.start(0);
    }
}

void HandOver::actOnPending() {
    if (!started || pending.isEmpty()) {
        return;
    }
    // A dialog opened while a modal box waits for its answer would sit behind it or take
    // its keys, so the batch waits until the box is gone.
    if (QApplication::activeModalWidget() != nullptr) {
        retry.start(kModalRetryMs);
        return;
    }

    OpenRequest feed;
    OpenRequest siteList;
    for (const QByteArray& line : std::as_const(pending)) {
        const QString text = QString::fromUtf8(line);
        // Lines carry absolute URLs only; a relative path here is not from a second start.
        const OpenRequest request = interpretArgument(text, QString());
        switch (request.kind) {
            case OpenRequest::Kind::Refused:
                qWarning().noquote() << refusalLogText(text, request);
                break;
            case OpenRequest::Kind::Feed:
                feed = request;
                break;
            case OpenRequest::Kind::SiteList:
                siteList = request;
                break;
        }
    }
    pending.clear();

    if (siteList.kind == OpenRequest::Kind::SiteList) {
        windows.main().offerSiteList(siteList.displayText());
    }
    if (feed.kind == OpenRequest::Kind::Feed) {
        windows.openNewSiteDialogFor(feed.displayText());
    }
}
