#include "ticker/tickersiteicons.h"

#include "core/appstate.h"
#include "ui/siteicons.h"

TickerSiteIcons::TickerSiteIcons(const AppState& appState, SiteIcons* siteIcons, QObject* parent)
    : QObject(parent), state(appState), icons(siteIcons) {
    if (icons != nullptr) {
        connect(icons, &SiteIcons::iconChanged, this, [this] { Q_EMIT changed(); });
    }
}

bool TickerSiteIcons::isOn() const {
    return icons != nullptr && state.settings.SITE_ICONS;
}

QIcon TickerSiteIcons::iconOfFeed(const QString& feedUrl) {
    if (icons == nullptr || feedUrl.isEmpty()) {
        return {};
    }
    const SiteRowArray& table = state.SiteTable;
    if (table.size() != indexedRows) {
        homePages.clear();
        for (int i = 0; i < table.size(); ++i) {
            homePages.insert(table[i].strXmlUrl, table[i].strHtmlUrl);
        }
        indexedRows = table.size();
    }
    // SiteIcons answers null while the option is off, and then fetches nothing.
    return icons->iconOf(IconSite{homePages.value(feedUrl), feedUrl});
}
