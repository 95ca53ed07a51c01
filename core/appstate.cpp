#include "core/appstate.h"

#include <QtGlobal>

AppState::AppState(const ProgramPaths& programPaths, const PlatformSeams& platformSeams)
    : paths(programPaths), seams(platformSeams) {}

AppState::~AppState() = default;

FeedFetchService& AppState::feeds() {
    // Whoever builds the state gives it a service before any window can fetch.
    if (!feedService) {
        qFatal("AppState::feeds(): no feed fetch service was given");
    }
    return *feedService;
}

void AppState::useFeedService(std::unique_ptr<FeedFetchService> service) {
    feedService = std::move(service);
}
