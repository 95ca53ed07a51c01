#include "platform/desktop/desktopbrowser.h"

#include <QDesktopServices>
#include <QUrl>

void DesktopBrowser::openUrl(const QString& url) {
    // The text is taken as a URL as it stands (no guessing of a scheme from user input);
    // when no browser can be started nothing else changes.
    QDesktopServices::openUrl(QUrl(url));
}
