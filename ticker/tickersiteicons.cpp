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
    const int row = rowOfFeed(feedUrl);
    const QString homePage = row >= 0 ? state.SiteTable[row].strHtmlUrl : QString();
    // SiteIcons answers null while the option is off, and then fetches nothing.
    return icons->iconOf(IconSite{homePage, feedUrl});
}

int TickerSiteIcons::rowOfFeed(const QString& feedUrl) {
    const SiteRowArray& table = state.SiteTable;
    const auto known = feedRows.constFind(feedUrl);
    if (known != feedRows.constEnd() && table.isValidIndex(*known) &&
        table[*known].strXmlUrl == feedUrl) {
        return *known;
    }
    // Looked for afresh: a feed no row has (an account's) costs a pass over the addresses,
    // most of which differ from it in length alone.
    for (int row = table.lastIndex(); row >= 0; --row) {
        if (table[row].strXmlUrl == feedUrl) {
            feedRows.insert(feedUrl, row);
            return row;
        }
    }
    feedRows.remove(feedUrl);
    return -1;
}
