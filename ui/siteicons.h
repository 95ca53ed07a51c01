#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QIcon>
#include <QObject>
#include <QString>

#include "icons/iconservice.h"

struct Settings;
struct SiteRow;

// Sites' icons as the windows draw them: a QIcon of the 16 px picture with its 32 px one for
// twice the pixel density (or 32 px with 64), made on the UI thread from what the service
// has. Off (SITE_ICONS) it has none, and the service fetches nothing.
class SiteIcons final : public QObject {
    Q_OBJECT
public:
    // Icons made and kept for drawing; the service keeps more in memory and all on disk.
    static constexpr int kKeptIcons = 256;
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
    // The same, or the program's own icon while the site has none.
    [[nodiscard]] QIcon iconOrProgramIcon(const IconSite& site, int side = 16);
    // The site's icon if it is at hand now, asking nothing of the service: for a look at
    // every row of a list to size it, where asking would fetch the icons of all its sites.
    [[nodiscard]] QIcon knownIconOf(const IconSite& site, int side = 16);
    [[nodiscard]] static QIcon programIcon();
    // SITE_ICONS as it is now.
    [[nodiscard]] bool isShown() const;

    // After the settings changed: with SITE_ICONS turned off every fetch ends and the
    // windows drop the icons at once; turned on, they ask again. shownChanged() tells them.
    void followSettings();

Q_SIGNALS:
    // The icon kept under key (IconService::keyOf) has arrived or changed.
    void iconChanged(const QString& key);
    // SITE_ICONS was turned on or off: every icon drawn is to be asked for again.
    void shownChanged();

private:
    [[nodiscard]] static QString madeKeyOf(const QString& key, int side);
    [[nodiscard]] QIcon make(const QString& madeKey, const IconImages& images, int side);

    struct Made {
        QIcon icon;
        // When the service was last asked for it (sinceStart).
        qint64 askedMs = 0;
    };

    IconService& service;
    const Settings& settings;
    // SITE_ICONS as the windows were last told.
    bool shown = true;
    QHash<QString, Made> made;
    QElapsedTimer sinceStart;
};
