#include "platform/desktop/browser.h"

#include <QUrl>

bool isFeedLinkOpenable(const QString& link) {
    if (link.isEmpty()) {
        return false;
    }
    const QUrl url(link, QUrl::StrictMode);
    if (!url.isValid()) {
        return false;
    }
    const QString scheme = url.scheme().toLower();
    return (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
           !url.host().isEmpty();
}

void openFeedLink(Browser& browser, const QString& link) {
    if (isFeedLinkOpenable(link)) {
        browser.openUrl(link);
    }
}
