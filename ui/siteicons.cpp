#include "ui/siteicons.h"

#include <QPixmap>

#include "core/settings.h"
#include "core/siterow.h"

SiteIcons::SiteIcons(IconService& iconService, const Settings& appSettings, QObject* parent)
    : QObject(parent), service(iconService), settings(appSettings), shown(settings.SITE_ICONS) {
    service.setEnabled(shown);
    connect(&service, &IconService::iconChanged, this, [this](const QString& key) {
        made.remove(key + QStringLiteral("/16"));
        made.remove(key + QStringLiteral("/32"));
        Q_EMIT iconChanged(key);
    });
}

IconSite SiteIcons::siteOf(const SiteRow& row) {
    return {row.strHtmlUrl, row.strXmlUrl};
}

QString SiteIcons::keyOf(const SiteRow& row) {
    return IconService::keyOf(siteOf(row));
}

bool SiteIcons::isShown() const {
    return settings.SITE_ICONS;
}

void SiteIcons::followSettings() {
    if (settings.SITE_ICONS == shown) {
        return;
    }
    shown = settings.SITE_ICONS;
    service.setEnabled(shown);
    made.clear();
    Q_EMIT shownChanged();
}

QIcon SiteIcons::programIcon() {
    QIcon icon(QStringLiteral(":/icons/app-16.png"));
    icon.addFile(QStringLiteral(":/icons/app-32.png"));
    return icon;
}

QIcon SiteIcons::iconOrProgramIcon(const IconSite& site, int side) {
    const QIcon icon = iconOf(site, side);
    return icon.isNull() ? programIcon() : icon;
}

QIcon SiteIcons::knownIconOf(const IconSite& site, int side) {
    if (!settings.SITE_ICONS) {
        return {};
    }
    const QString key = service.keyFor(site);
    return key.isEmpty() ? QIcon() : made16Or32(key, service.knownIcon(site), side);
}

QIcon SiteIcons::iconOf(const IconSite& site, int side) {
    service.setEnabled(settings.SITE_ICONS);
    if (!settings.SITE_ICONS) {
        made.clear();
        return {};
    }
    const QString key = service.keyFor(site);
    if (key.isEmpty()) {
        return {};
    }
    // The service is asked every time: it is what keeps an icon fresh over a long run.
    return made16Or32(key, service.icon(site), side);
}

QIcon SiteIcons::made16Or32(const QString& key, const IconImages& images, int side) {
    const QString madeKey = key + (side > 16 ? QStringLiteral("/32") : QStringLiteral("/16"));
    const auto found = made.constFind(madeKey);
    if (found != made.constEnd()) {
        return *found;
    }
    if (images.isNull()) {
        return {};
    }
    const int base = side > 16 ? 32 : 16;
    QPixmap single = QPixmap::fromImage(images.atPixels(base));
    QPixmap twice = QPixmap::fromImage(images.atPixels(base * 2));
    twice.setDevicePixelRatio(2);
    QIcon icon;
    // The same in every mode: a selected row keeps the site's colours.
    for (const QIcon::Mode mode : {QIcon::Normal, QIcon::Active, QIcon::Selected}) {
        icon.addPixmap(single, mode);
        icon.addPixmap(twice, mode);
    }
    if (made.size() >= kKeptIcons) {
        made.clear();
    }
    made.insert(madeKey, icon);
    return icon;
}
