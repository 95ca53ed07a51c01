#include "patrol/admission.h"

#include "core/appstate.h"
#include "core/feedservice.h"
#include "platform/system/clock.h"
#include "rules/rulesstore.h"

void judgeFeedItems(FeedReadResult& feed, const RuleSet& rules, const QString& feedUrl,
                    const std::atomic<bool>* stop) {
    for (ArticleRecord& item : feed.items) {
        if (stop && stop->load(std::memory_order_relaxed)) {
            return;
        }
        const RuleVerdict verdict = rules.verdict(item.Title, feedUrl);
        item.Display = verdict.action;
        item.HighlightColour = verdict.colour;
    }
    feed.judgedUnder = rules.generation();
}

bool judgedByRulesInForce(const AppState& state, FeedReadResult& feed) {
    const RulesStore& store = state.rulesStore();
    if (feed.items.isEmpty() || feed.judgedUnder == store.generation()) {
        return true;
    }
    const std::shared_ptr<const RuleSet> rules = store.current();
    if (!rules->isEmpty()) {
        return false;
    }
    judgeFeedItems(feed, *rules, {});
    return true;
}

bool admitToNewsQueue(AppState& state, const ArticleRecord& record) {
    if (record.Display == RuleAction::Mute) {
        return false;
    }
    const Settings& settings = state.settings;
    if (settings.OLD_HIDE_FLG && record.PubDate.isValid()) {
        const QDateTime limit =
            state.seams.clock.now().addSecs(-qint64(settings.LIMIT_HOURES) * 3600);
        if (record.PubDate < limit) {
            return false;
        }
    }
    if (settings.CHECKED_HIDE_FLG && !record.IsNew) {
        return false;
    }
    return state.NewsQueue.append(record);
}
