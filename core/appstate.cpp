#include "core/appstate.h"

#include "patrol/networkfeedservice.h"

AppState::AppState(const ProgramPaths& programPaths, const PlatformSeams& platformSeams)
    : paths(programPaths), seams(platformSeams) {}

AppState::~AppState() = default;

FeedFetchService& AppState::feeds() {
    if (!feedService) {
        feedService = std::make_unique<NetworkFeedService>(fetchOptions, seams.clock);
    }
    return *feedService;
}

void AppState::useFeedService(std::unique_ptr<FeedFetchService> service) {
    feedService = std::move(service);
}
