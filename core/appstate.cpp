#include "core/appstate.h"

#include <QCoreApplication>
#include <QtGlobal>

#include "core/shownstore.h"
#include "platform/speech/speechengine.h"
#include "rules/rulesstore.h"

AppState::AppState(const ProgramPaths& programPaths, const PlatformSeams& platformSeams)
    : paths(programPaths),
      seams(platformSeams),
      rules(std::make_unique<RulesStore>(programFile(QLatin1String(kRulesFileName)))),
      speechEngine(std::make_unique<NoSpeechEngine>(
          QCoreApplication::translate("SpeechEngine", "読み上げエンジンがありません。"))) {}

AppState::~AppState() = default;

FeedFetchService& AppState::feeds() {
    // Whoever builds the state gives it a service before any window can fetch.
    if (!feedService) {
        qFatal("AppState::feeds(): no feed fetch service was given");
    }
    return *feedService;
}

void AppState::useSpeechEngine(std::unique_ptr<SpeechEngine> engine) {
    speechEngine = std::move(engine);
}

void AppState::useFeedService(std::unique_ptr<FeedFetchService> service) {
    feedService = std::move(service);
}

ShownStore& AppState::shownStore() {
    // Whoever builds the state gives it a store before the patrol or the ticker runs.
    if (!shown) {
        qFatal("AppState::shownStore(): no shown store was given");
    }
    return *shown;
}

void AppState::useShownStore(std::unique_ptr<ShownStore> store) {
    shown = std::move(store);
}
