#include "patrol/frmtask.h"

#include "core/appstate.h"
#include "patrol/articlestore.h"
#include "patrol/feedfetch.h"
#include "patrol/feedparser.h"

Q_LOGGING_CATEGORY(lcPatrol, "qv.patrol", QtWarningMsg)

namespace {

// Sets a flag for the lifetime of a scope, whatever way the scope is left.
class FlagScope {
public:
    explicit FlagScope(bool& target) : flag(target) { flag = true; }
    ~FlagScope() { flag = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag;
};

}  // namespace

frmTask::frmTask(AppState& appState, TickerControl& tickerControl, StatusSink& statusSink,
                 QObject* parent)
    : QObject(parent), state(appState), ticker(tickerControl), status(statusSink) {
    setObjectName(QStringLiteral("frmTask"));
    tmrRefresh.setObjectName(QStringLiteral("tmrRefresh"));
    tmrRefresh.setInterval(kRefreshIntervalMs);
    connect(&tmrRefresh, &QTimer::timeout, this, &frmTask::tmrRefresh_Timer);
}

qint32 frmTask::periodTicks() const {
    return qint32(state.settings.AUTO_PIROT_MINITS) * 60 / (kRefreshIntervalMs / 1000);
}

void frmTask::Form_Load() {
    NextSiteIndex = 0;
    TickCount = periodTicks();
    blnBusy = false;
    tmrRefresh.start();
    tmrRefresh_Timer();
}

void frmTask::RssRefresh() {
    if (patrolling) {
        return;
    }
    TickCount = periodTicks();
    tmrRefresh_Timer();
}

void frmTask::tmrRefresh_Timer() {
    if (patrolling) {
        return;
    }
    ++TickCount;
    if (periodTicks() > TickCount) {
        const qint32 secondsLeft =
            qint32(state.settings.AUTO_PIROT_MINITS) * 60 - TickCount * kSecondsPerTick;
        LogWrite(QStringLiteral(u"待機中 あと") + QString::number(secondsLeft) +
                     QStringLiteral(u"秒..."),
                 false);
        return;
    }
    TickCount = 0;
    tmrRefresh.stop();
    {
        const FlagScope scope(patrolling);
        try {
            switch (state.settings.AUTO_PIROT_MODE) {
                case 0:
                    NextSiteIndex = LoadRdf(NextSiteIndex, false);
                    break;
                case 2:
                    patrolAllSites();
                    break;
                default:
                    break;  // no such mode: the ticks go on, nothing is fetched
            }
        } catch (...) {
            // A failing ticker must not stop the patrols to come.
        }
    }
    tmrRefresh.start();
}

void frmTask::patrolAllSites() {
    NextSiteIndex = 0;
    if (!state.NewsQueue.isEmpty()) {
        ticker.ResetTicker();
    }
    // Each walk ends after a site with news or at the table's end, so every site is
    // visited once and nothing is queued twice in one patrol.
    qint16 start = 0;
    do {
        start = NextSiteIndex;
        NextSiteIndex = walk(NextSiteIndex, false, false);
    } while (NextSiteIndex > start);
    if (!state.NewsQueue.isEmpty()) {
        ticker.ShowForm(state.settings.TICKER_MODE);
    }
}

qint16 frmTask::LoadRdf(qint16 intNextKey, bool blnFullFlg) {
    return walk(intNextKey, blnFullFlg, true);
}

qint16 frmTask::walk(qint16 intNextKey, bool blnFullFlg, bool wrap) {
    if (blnBusy || !state.blnSiteListFlg) {
        return intNextKey;
    }
    // Busy before the first text, so that nothing the status bar does can start a walk.
    const FlagScope busy(blnBusy);
    LogWrite(QStringLiteral(u"RDF読み込み開始します..."), true);
    SiteArticles.clear();
    const int rows = state.SiteTable.size();
    if (rows == 0) {
        return intNextKey;
    }
    const auto following = [this](int index) {
        return qint16(index + 1 > state.SiteTable.lastIndex() ? 0 : index + 1);
    };

    if (blnFullFlg) {
        // The article list asked for this site's articles, so no other site's will do.
        if (!isEligible(intNextKey, true) || !processEntry(intNextKey, true)) {
            return intNextKey;
        }
        LogWrite(QStringLiteral(u"完了"), true);
        return following(intNextKey);
    }

    // A start left outside the table by a shorter site list begins at the top.
    const qint16 start = state.SiteTable.isValidIndex(intNextKey) ? intNextKey : qint16(0);
    qint16 index = start;
    // visited bounds the walk even if the table changed under it.
    for (int visited = 1;; ++visited) {
        const bool added = isEligible(index, false) && processEntry(index, false);
        const bool atEnd = index + 1 > state.SiteTable.lastIndex();
        const qint16 next = following(index);
        if (added) {
            LogWrite(QStringLiteral(u"完了"), true);
        }
        if (atEnd && !wrap) {
            return next;
        }
        if (next == start || visited >= rows) {
            return start;
        }
        if (added) {
            return next;
        }
        index = next;
    }
}

bool frmTask::isEligible(int index, bool blnFullFlg) const {
    if (!state.SiteTable.isValidIndex(index)) {
        return false;
    }
    const SiteRow& row = state.SiteTable[index];
    return !trimFeedText(row.strXmlUrl).isEmpty() && (blnFullFlg || !row.blnDeleted);
}

bool frmTask::processEntry(qint16 index, bool blnFullFlg) {
    bool added = false;
    try {
        LogWrite(state.SiteTable[index].strXmlUrl + QStringLiteral(u"を処理中..."), true);
        if (!ParseRdf(index)) {
            return false;
        }
        if (blnFullFlg) {
            // Unfiltered and all new: the list shows the whole feed.
            for (const ArticleRecord& record : SiteArticles) {
                state.ListArticles.append(record);
            }
            return true;
        }
        MarkShownArticles(state, SiteArticles, index);
        for (const ArticleRecord& record : SiteArticles) {
            if (admitToNewsQueue(state, record)) {
                added = true;
            }
        }
        if (added && !state.NewsQueue.isEmpty() && state.settings.AUTO_PIROT_MODE == 0) {
            ticker.ShowForm(state.settings.TICKER_MODE);
        }
    } catch (...) {
        // Whatever goes wrong with one site (memory for a huge feed, a failing ticker)
        // abandons that site only; what it queued so far stays queued.
    }
    return added;
}

bool frmTask::ParseRdf(qint16 siteIndex) {
    return fetchSiteFeed(state, siteIndex, SiteArticles,
                         [this](const QString& text) { LogWrite(text, false); });
}

void frmTask::LogWrite(const QString& strValue, bool blnStatusBar) {
    if (blnStatusBar) {
        status.SetStatus(strValue);
    } else {
        qCInfo(lcPatrol).noquote() << strValue;
    }
}
