#include "ui/siteicons.h"

#include <QPixmap>

#include "core/settings.h"
#include "core/siterow.h"

SiteIcons::SiteIcons(IconService& iconService, const Settings& appSettings, QObject* parent)
    : QObject(parent), service(iconService), settings(appSettings), shown(settings.SITE_ICONS) {
    sinceStart.start();
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
    if (key.isEmpty()) {
        return {};
    }
    const QString madeKey = madeKeyOf(key, side);
    const auto found = made.constFind(madeKey);
    return found != made.constEnd() ? found->icon : make(madeKey, service.knownIcon(site), side);
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
    const QString madeKey = madeKeyOf(key, side);
    const qint64 now = sinceStart.elapsed();
    const auto found = made.find(madeKey);
    if (found != made.end() && now - found->askedMs < kAskAgainMs) {
        return found->icon;
    }
    // The service is asked now and then: it is what keeps an icon fresh over a long run.
    const IconImages images = service.icon(site);
    if (found != made.end()) {
        found->askedMs = now;
        return found->icon;
    }
    return make(madeKey, images, side);
}

QString SiteIcons::madeKeyOf(const QString& key, int side) {
    return key + (side > 16 ? QStringLiteral("/32") : QStringLiteral("/16"));
}

QIcon SiteIcons::make(const QString& madeKey, const IconImages& images, int side) {
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
    made.insert(madeKey, Made{icon, sinceStart.elapsed()});
    return icon;
}
