#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QIcon>
#include <QObject>
#include <QString>

#include "icons/iconservice.h"

struct Settings;
struct SiteRow;

// Sites' icons as the windows draw them: a QIcon of the 16 px picture (or 32 px), with its
// 32 px one (or 64) where a screen has twice the pixel density, made on the UI thread from
// what the service has and kept, so that drawing a row finds it ready. Off (SITE_ICONS) it
// has none, and the service fetches nothing.
class SiteIcons final : public QObject {
    Q_OBJECT
public:
    // Hosts whose icons are made and kept for drawing, twice over: those drawn since the last
    // kKeptIcons hosts were made stay when the ones before go. A 16 px icon is a kilobyte: a
    // large tree scrolls through a thousand hosts without making one twice. The service keeps
    // fewer in memory, and all on disk.
    static constexpr int kKeptIcons = 1024;
    // An icon made is drawn without asking the service again for this long; asking is what
    // has it refreshed when due, and costs a row more than drawing it.
    static constexpr qint64 kAskAgainMs = 10 * 60 * 1000;

    // service and settings outlive this.
    SiteIcons(IconService& service, const Settings& settings, QObject* parent = nullptr);

    // Where a row of the site table leads for its icon.
    [[nodiscard]] static IconSite siteOf(const SiteRow& row);
    // The name the icon of a row of the site table is known by in iconChanged().
    [[nodiscard]] static QString keyOf(const SiteRow& row);
    // IconService::keyOf, remembered.
    [[nodiscard]] QString keyFor(const IconSite& site) { return service.keyFor(site); }

    // The site's icon for rows side (16 or 32) pixels high; null while it has none (the
    // caller draws the program's own then). Asks the service for it when that is due.
    [[nodiscard]] QIcon iconOf(const IconSite& site, int side = 16);
    // The same for a caller that has the site's key at hand (keyFor).
    [[nodiscard]] QIcon iconOf(const QString& key, const IconSite& site, int side = 16);
    // The same, or the program's own icon while the site has none.
    [[nodiscard]] QIcon iconOrProgramIcon(const IconSite& site, int side = 16);
    // The site's icon if it is at hand now, asking nothing of the service: for a look at
    // every row of a list to size it, where asking would fetch the icons of all its sites.
    [[nodiscard]] QIcon knownIconOf(const IconSite& site, int side = 16);
    [[nodiscard]] static QIcon programIcon();
    // SITE_ICONS as it is now.
    [[nodiscard]] bool isShown() const;
    // Changes whenever an icon given before may no longer be the one to draw: an icon arrived
    // or changed, or the icons were turned off or on. A view may keep what it was given
    // while this stays, asking again after kAskAgainMs.
    [[nodiscard]] quint64 generation() const { return changes; }

    // After the settings changed: with SITE_ICONS turned off every fetch ends and the
    // windows drop the icons at once; turned on, they ask again. shownChanged() tells them.
    void followSettings();

Q_SIGNALS:
    // The icon kept under key (IconService::keyOf) has arrived or changed.
    void iconChanged(const QString& key);
    // SITE_ICONS was turned on or off: every icon drawn is to be asked for again.
    void shownChanged();

private:
    // A host's icons as made; null for a side not made yet.
    struct Made {
        QIcon small;
        QIcon large;
        // When the service was last asked for it (sinceStart).
        qint64 askedMs = 0;

        [[nodiscard]] QIcon& of(int side) { return side > 16 ? large : small; }
    };

    // The icon of side made from images and kept; null when images is.
    [[nodiscard]] QIcon make(const QString& key, const IconImages& images, int side);
    // The host's icons made, the newer ones looked at first; one found among the older is
    // kept as a newer one. Null when none was made.
    [[nodiscard]] Made* findMade(const QString& key);
    Made& keep(const QString& key, const Made& icons);

    IconService& service;
    const Settings& settings;
    // SITE_ICONS as the windows were last told.
    bool shown = true;
    // Makes the icon that arrived under key at once, at every side made or asked for
    // before: the service may have let it go by the time a view asks again.
    void remake(const QString& key);

    // The sides (1: 16, 2: 32) asked for of hosts whose icons had not arrived.
    QHash<QString, int> awaited;
    // The hosts' icons made since the older ones went, and those made before.
    QHash<QString, Made> made;
    QHash<QString, Made> olderMade;
    QElapsedTimer sinceStart;
    quint64 changes = 0;
};
