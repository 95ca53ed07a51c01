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
    // The site table's row of the feed (the last to have it when it was looked for); -1 when
    // none has it.
    [[nodiscard]] int rowOfFeed(const QString& feedUrl);

    const AppState& state;
    SiteIcons* icons;
    // The rows found by feed address. A row's addresses may be edited in place: a row is
    // taken only while it still has the feed, and its home page is read as it is now.
    QHash<QString, int> feedRows;
};
