#pragma once

#include <QString>

// Opens a page in the user's web browser. A failure is ignored and changes nothing.
class Browser {
public:
    virtual ~Browser() = default;
    virtual void openUrl(const QString& url) = 0;
};

// True when a link that came from a feed may be handed to the browser: only http and
// https, so that a feed cannot make the program open local files or start launchers.
[[nodiscard]] bool isFeedLinkOpenable(const QString& link);

// Opens a link that came from a feed (the ticker's and the article list's "web" buttons).
// Empty links and links of any other scheme are ignored.
void openFeedLink(Browser& browser, const QString& link);
