#pragma once

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
    static constexpr int kKeptIcons = 512;

    // service and settings outlive this.
    SiteIcons(IconService& service, const Settings& settings, QObject* parent = nullptr);

    // Where a row of the site table leads for its icon.
    [[nodiscard]] static IconSite siteOf(const SiteRow& row);

    // The site's icon for rows side (16 or 32) pixels high; null while it has none (the
    // caller draws the program's own then). Asks the service for it when that is due.
    [[nodiscard]] QIcon iconOf(const IconSite& site, int side = 16);

Q_SIGNALS:
    // The icon kept under key (IconService::keyOf) has arrived or changed.
    void iconChanged(const QString& key);

private:
    IconService& service;
    const Settings& settings;
    QHash<QString, QIcon> made;
};
