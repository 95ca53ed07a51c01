#pragma once

#include <QHash>
#include <QIcon>
#include <QObject>
#include <QString>

class SiteIcons;
struct AppState;

// The sites' icons as the ticker draws them, by the feed an entry came from: the site of
// that feed in the site table names where its icon is looked for (its home page, else the
// feed). Without SiteIcons, or with SITE_ICONS off, there are none and nothing is fetched.
class TickerSiteIcons final : public QObject {
    Q_OBJECT
public:
    // state and icons outlive this; icons may be null.
    TickerSiteIcons(const AppState& state, SiteIcons* icons, QObject* parent);

    // Icons are shown (the option is on): the marquee keeps room for them.
    [[nodiscard]] bool isOn() const;
    // The icon of the feed's site; null while it has none (the program's is drawn then).
    [[nodiscard]] QIcon iconOfFeed(const QString& feedUrl);

Q_SIGNALS:
    // An icon arrived or changed: what is drawn with icons is drawn again.
    void changed();

private:
    const AppState& state;
    SiteIcons* icons;
    // Home pages by feed address, made from the site table when its size last changed.
    QHash<QString, QString> homePages;
    int indexedRows = -1;
};
