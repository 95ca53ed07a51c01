#pragma once

// What the ticker asks of the rest of the program: the article list window and the
// ticker settings dialog.
class TickerHost {
public:
    virtual ~TickerHost() = default;
    // Opens the article list window (modeless) for the ticker's intCallOPMLKey.
    virtual void openArticleList() = 0;
    // Closes the article list window when it is open.
    virtual void closeArticleList() = 0;
    // Opens the ticker settings dialog (modeless).
    virtual void openTickerSettings() = 0;
};
