#include "patrol/frmtask.h"

#include <exception>
#include <memory>

#include "core/appstate.h"
#include "patrol/sourceintake.h"
#include "rules/rulesproblems.h"
#include "rules/rulesstore.h"

namespace {

constexpr char kStartText[] = QT_TRANSLATE_NOOP("frmTask", "RDF読み込み開始します...");
constexpr char kDoneText[] = QT_TRANSLATE_NOOP("frmTask", "完了");
constexpr char kProcessingText[] = QT_TRANSLATE_NOOP("frmTask", "%1を処理中...");

// Runs what the patrol asks of the ticker; a failing ticker must not stop the patrols to
// come, so its error is logged and the patrol goes on.
template <typename Call>
void guarded(const char* what, Call call) {
    try {
        call();
    } catch (const std::exception& error) {
        qCWarning(lcPatrol) << what << "failed:" << error.what();
    } catch (...) {
        qCWarning(lcPatrol) << what << "failed";
    }
}

}  // namespace

frmTask::frmTask(AppState& appState, TickerControl& tickerControl, StatusSink& statusSink,
                 QObject* parent)
    : QObject(parent),
      state(appState),
      ticker(tickerControl),
      status(statusSink),
      sourceIntake(std::make_shared<SourceIntake>(appState, tickerControl, statusSink)),
      walk(appState, schedule, tickerControl, statusSink) {
    // The site table is the first source of articles a patrol asks.
    state.articleSources.prepend(&walk);
    setObjectName(QStringLiteral("frmTask"));
    tmrRefresh.setObjectName(QStringLiteral("tmrRefresh"));
    tmrRefresh.setInterval(kRefreshIntervalMs);
    connect(&tmrRefresh, &QTimer::timeout, this, &frmTask::tmrRefresh_Timer);
    state.rulesStore().addChangedHandler(this, [this] {
        if (waitingForRules && !state.rulesStore().awaitingFirstRead()) {
            waitingForRules = false;
            tmrRefresh_Timer();
        }
    });
}

frmTask::~frmTask() {
    state.rulesStore().removeChangedHandlers(this);
    cancelListLoad();
    // Nobody tells the walk of articles from here on; the walk itself goes next (members are
    // destroyed in reverse order), stopping its judging thread and dropping its fetches
    // while the schedule, the timer and this window are still whole.
    state.articleSources.removeAll(&walk);
}

qint32 frmTask::periodTicks() const {
    return PatrolSchedule::periodTicks(state.settings.AUTO_PIROT_MINITS);
}

void frmTask::Form_Load() {
    schedule.load(state.settings.AUTO_PIROT_MINITS);
    walk.blnBusy = false;
    tmrRefresh.start();
    tmrRefresh_Timer();
}

void frmTask::RssRefresh() {
    follow(schedule.checkNow(state.settings.AUTO_PIROT_MINITS, state.settings.AUTO_PIROT_MODE,
                             !state.rulesStore().awaitingFirstRead(), state.NewsQueue.isEmpty()));
}

void frmTask::tmrRefresh_Timer() {
    follow(schedule.tick(state.settings.AUTO_PIROT_MINITS, state.settings.AUTO_PIROT_MODE,
                         !state.rulesStore().awaitingFirstRead(), state.NewsQueue.isEmpty()));
}

void frmTask::follow(const PatrolSchedule::PatrolStep& step) {
    using Kind = PatrolSchedule::PatrolStep::Kind;
    switch (step.kind) {
        case Kind::Nothing:
            return;
        case Kind::AwaitRules:
            waitingForRules = true;  // the rules' changed handler ticks again
            return;
        case Kind::Countdown:
            LogWrite(QStringLiteral(u"待機中 あと") + QString::number(step.secondsLeft) +
                         QStringLiteral(u"秒..."),
                     false);
            return;
        case Kind::Walk:
            tmrRefresh.stop();
            if (step.resetTicker) {
                guarded("resetting the ticker", [this] { ticker.ResetTicker(); });
            }
            if (step.patrolStarts) {
                // The accounts work beside the walk; what they find comes later, through
                // the intake.
                for (ArticleSource* source : std::as_const(state.articleSources)) {
                    source->patrol(sourceIntake);
                }
            }
            walkSources(PatrolWalk{step.site, step.wrap});
            return;
        case Kind::WalksEnded:
            tmrRefresh.stop();
            walksEnded(step.showTicker);
            return;
    }
}

void frmTask::walkSources(const PatrolWalk& step) {
    const auto ended = [this](qint16 next) { follow(schedule.walkEnded(next)); };
    for (ArticleSource* source : std::as_const(state.articleSources)) {
        if (source->walk(step, ended)) {
            return;
        }
    }
    ended(step.from);  // nothing walks: the patrol's walks are over at once
}

void frmTask::walksEnded(bool showTicker) {
    for (ArticleSource* source : std::as_const(state.articleSources)) {
        source->walksEnded();
    }
    if (showTicker && !state.NewsQueue.isEmpty()) {
        guarded("showing the ticker",
                [this] { ticker.ShowForm(patrolShowMode(state.settings.TICKER_MODE)); });
    }
    finishPatrol();
}

void frmTask::finishPatrol() {
    schedule.patrolEnded();
    tmrRefresh.start();
    tellRulesProblems();
}

void frmTask::tellRulesProblems() {
    const RulesStore& rules = state.rulesStore();
    if (!rules.readFailure().isEmpty()) {
        if (!rulesFailureTold) {
            rulesFailureTold = true;
            LogWrite(rules.readFailure(), true);
        }
        return;
    }
    const std::shared_ptr<const RuleSet> inForce = rules.current();
    const auto tell = [this](const QList<RuleProblem>& problems) {
        // The first few: a file of half a million broken lines is no log of as many.
        for (qsizetype i = 0; i < problems.size() && i < kNamedRuleProblems; ++i) {
            qCWarning(lcPatrol).noquote() << ruleProblemText(problems[i]);
        }
        if (problems.size() > kNamedRuleProblems) {
            qCWarning(lcPatrol).noquote()
                << QStringLiteral("... %1 more").arg(problems.size() - kNamedRuleProblems);
        }
        status.setStatusDetails(ruleProblemSummary(problems), ruleProblemDetails(problems));
    };
    if (!inForce->problems().isEmpty() && !rulesProblemsTold) {
        rulesProblemsTold = true;
        tell(inForce->problems());
        return;
    }
    QList<RuleProblem> overBudget;
    for (const RuleProblem& problem : inForce->overBudgetProblems()) {
        const QString text = ruleProblemText(problem);
        if (!overBudgetTold.contains(text)) {
            overBudgetTold.insert(text);
            overBudget.append(problem);
        }
    }
    if (!overBudget.isEmpty()) {
        tell(overBudget);
    }
}

void frmTask::LoadRdf(qint16 intNextKey, bool blnFullFlg, WalkDone done) {
    if (blnFullFlg && state.blnSiteListFlg) {
        cancelListLoad();  // a site's list replaces a source's still loading
    }
    walk.LoadRdf(intNextKey, blnFullFlg, std::move(done));
}

void frmTask::cancelListLoad() {
    walk.cancelListLoad();
    if (listSource != nullptr) {
        listSource->cancelList();
        listSource = nullptr;
    }
}

bool frmTask::loadSourceList(const ArticleRecord& of, std::function<void()> done) {
    // The article list asked for this feed's articles, so no other's will do.
    cancelListLoad();
    const quint64 number = ++sourceList;
    for (ArticleSource* source : std::as_const(state.articleSources)) {
        const bool owned = source->listFeed(
            of, [this, number, done](const QList<ArticleRecord>& articles, const QString& error) {
                if (listSource == nullptr || sourceList != number) {
                    return;
                }
                listSource = nullptr;
                if (error.isEmpty()) {
                    for (const ArticleRecord& record : articles) {
                        if (!state.ListArticles.append(record)) {
                            break;
                        }
                    }
                    LogWrite(tr(kDoneText), true);
                } else {
                    LogWrite(error, true);
                }
                if (done) {
                    done();
                }
            });
        if (owned) {
            listSource = source;
            LogWrite(tr(kStartText), true);
            LogWrite(tr(kProcessingText).arg(of.FeedUrl), true);
            return true;
        }
    }
    return false;
}

void frmTask::cancelPatrol() {
    // A walk or list load stopped half-way would leave its "…を処理中..." in the status bar.
    const bool underWay = walk.cancel();
    const bool wasPatrolling = schedule.patrolling();
    schedule.cancel();
    if (wasPatrolling) {
        tmrRefresh.start();
    }
    if (underWay) {
        LogWrite(QString(), true);
    }
}

void frmTask::LogWrite(const QString& strValue, bool blnStatusBar) {
    patrolLogWrite(status, strValue, blnStatusBar);
}
