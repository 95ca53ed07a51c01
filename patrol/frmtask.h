#pragma once

#include <QList>
#include <QLoggingCategory>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QtGlobal>

#include "patrol/articlerecord.h"
#include "patrol/patrolhost.h"

struct AppState;

// Progress texts that no window shows (countdown, items read). Off by default; enable
// with QT_LOGGING_RULES="qv.patrol.info=true".
Q_DECLARE_LOGGING_CATEGORY(lcPatrol)

// The patrol window: never shown, it exists for its timer. Every AUTO_PIROT_MINITS
// minutes it walks the site table, fetches feeds and feeds NewsQueue, in one of two modes
// (AUTO_PIROT_MODE 0: up to the first site with news; 2: every site). The article list
// asks it for one site's full list. It reaches the ticker and the status bar only through
// the two interfaces it is given.
class frmTask : public QObject, public PatrolControl {
    Q_OBJECT

public:
    static constexpr int kRefreshIntervalMs = 10'000;
    // Seconds one tick stands for in the countdown text.
    static constexpr int kSecondsPerTick = 10;

    frmTask(AppState& state, TickerControl& ticker, StatusSink& status, QObject* parent = nullptr);
    frmTask(const frmTask&) = delete;
    frmTask& operator=(const frmTask&) = delete;

    // Starts the timer and patrols at once.
    void Form_Load();
    void RssRefresh() override;
    // One walk from intNextKey (0 when outside the table). Normal mode (blnFullFlg false)
    // visits the eligible sites in table order, wrapping at the end, and stops after the
    // first that admits articles to NewsQueue; it returns the index after that site, or
    // the start when none did. Full mode lists the requested site alone (deleted or not)
    // in ListArticles. Refused, returning intNextKey and doing nothing, while the site
    // list is not ready or a walk is already running.
    qint16 LoadRdf(qint16 intNextKey, bool blnFullFlg) override;
    // Status-bar texts go to the main window; the others to the qv.patrol log.
    void LogWrite(const QString& strValue, bool blnStatusBar);

    // Patrol period in ticks of tmrRefresh: 6 per minute of AUTO_PIROT_MINITS. 32-bit, so
    // any value a hand-edited config.ini holds fits; 0 or less patrols at every tick.
    [[nodiscard]] qint32 periodTicks() const;

    // The state below is public for reading; only frmTask changes it.
    QTimer tmrRefresh;
    // Ticks since the last timed patrol.
    qint32 TickCount = 0;
    // Where the next one-site-mode walk starts.
    qint16 NextSiteIndex = 0;
    // True while a LoadRdf walk runs.
    bool blnBusy = false;
    // Items of the site parsed last.
    QList<ArticleRecord> SiteArticles;

public Q_SLOTS:
    void tmrRefresh_Timer();

private:
    void patrolAllSites();
    // The walk behind LoadRdf; with wrap false a normal-mode walk ends at the table's last
    // index (returning 0) instead of going round to the start.
    qint16 walk(qint16 intNextKey, bool blnFullFlg, bool wrap);
    [[nodiscard]] bool isEligible(int index, bool blnFullFlg) const;
    // Fetches and hands on one site's articles; true when it added any (normal mode: at
    // least one admitted to NewsQueue; full mode: the feed had items).
    bool processEntry(qint16 index, bool blnFullFlg);
    bool ParseRdf(qint16 siteIndex);

    AppState& state;
    TickerControl& ticker;
    StatusSink& status;
    // True while tmrRefresh_Timer patrols, so that a tick or refresh that arrives from
    // inside the patrol (a callback of the ticker or the status bar) starts no second one.
    bool patrolling = false;
};
