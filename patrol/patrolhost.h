#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>
#include <functional>

#include "core/settings.h"

struct ArticleRecord;

// What the patrol needs of the ticker.
class TickerControl {
public:
    virtual ~TickerControl() = default;
    virtual void ShowForm(ShowMode intTickerModeSet) = 0;
    virtual void ResetTicker() = 0;
    // Entries left NewsQueue (ArticleArray::removeIf): moved gives each old index its new
    // one (0: gone). An entry on display that went stays drawn until the ticker moves on.
    virtual void queueEntriesMoved(const QList<int>& moved) = 0;
};

// The main window's status bar.
class StatusSink {
public:
    virtual ~StatusSink() = default;
    virtual void SetStatus(const QString& strValue) = 0;
    // A short text, and the details of it (a tool tip), for what does not fit in one line.
    virtual void setStatusDetails(const QString& strValue, const QString& details) {
        static_cast<void>(details);
        SetStatus(strValue);
    }
};

// What other windows need of the patrol window.
class PatrolControl {
public:
    // Receives the index at which a following walk should start.
    using WalkDone = std::function<void(qint16 next)>;

    virtual ~PatrolControl() = default;
    // One walk over the site table, or (blnFullFlg) one site's whole feed for the article
    // list; done runs when it has ended. See SiteWalk::LoadRdf.
    virtual void LoadRdf(qint16 intNextKey, bool blnFullFlg, WalkDone done) = 0;
    // The article list of an article of another source (an account's): the articles of
    // the feed it came from, from the source that owns it, into ListArticles as LoadRdf
    // puts a site's. done runs once they have come or failed (the status bar says why);
    // false, and done never runs, when no source owns the article. A new list load (of a
    // site or a source) replaces one still waiting.
    virtual bool loadSourceList(const ArticleRecord& of, std::function<void()> done) {
        static_cast<void>(of);
        static_cast<void>(done);
        return false;
    }
    // Drops the article list's request still waiting for its feed; its done never runs.
    virtual void cancelListLoad() = 0;
    // A patrol in the current mode, now.
    virtual void RssRefresh() = 0;
};
