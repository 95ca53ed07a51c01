#include "ui/siteicons.h"

#include <QGuiApplication>
#include <QPixmap>

#include "core/settings.h"
#include "core/siterow.h"

SiteIcons::SiteIcons(IconService& iconService, const Settings& appSettings, QObject* parent)
    : QObject(parent), service(iconService), settings(appSettings), shown(settings.SITE_ICONS) {
    sinceStart.start();
    service.setEnabled(shown);
    connect(&service, &IconService::iconChanged, this, [this](const QString& key) {
        remake(key);
        ++changes;
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
    olderMade.clear();
    awaited.clear();
    ++changes;
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
    if (Made* found = findMade(key); found != nullptr && !found->of(side).isNull()) {
        return found->of(side);
    }
    return make(key, service.knownIcon(site), side);
}

QIcon SiteIcons::iconOf(const IconSite& site, int side) {
    return iconOf(settings.SITE_ICONS ? service.keyFor(site) : QString(), site, side);
}

QIcon SiteIcons::iconOf(const QString& key, const IconSite& site, int side) {
    service.setEnabled(settings.SITE_ICONS);
    if (!settings.SITE_ICONS) {
        if (!made.isEmpty() || !olderMade.isEmpty()) {
            made.clear();
            olderMade.clear();
            ++changes;
        }
        awaited.clear();
        return {};
    }
    if (key.isEmpty()) {
        return {};
    }
    const qint64 now = sinceStart.elapsed();
    Made* found = findMade(key);
    if (found != nullptr && now - found->askedMs < kAskAgainMs && !found->of(side).isNull()) {
        return found->of(side);
    }
    // The service is asked now and then: it is what keeps an icon fresh over a long run.
    const IconImages images = service.icon(site);
    if (found != nullptr && !found->of(side).isNull()) {
        found->askedMs = now;
        return found->of(side);
    }
    if (images.isNull()) {
        if (awaited.size() >= kKeptIcons * 4) {
            awaited.clear();
        }
        awaited[key] |= side > 16 ? 2 : 1;
        return {};
    }
    return make(key, images, side);
}

void SiteIcons::remake(const QString& key) {
    int sides = awaited.take(key);
    if (const Made* was = findMade(key); was != nullptr) {
        sides |= (was->small.isNull() ? 0 : 1) | (was->large.isNull() ? 0 : 2);
    }
    made.remove(key);
    olderMade.remove(key);
    const IconImages images = service.iconInMemory(key);
    for (const int side : {16, 32}) {
        if ((sides & (side > 16 ? 2 : 1)) != 0) {
            (void)make(key, images, side);
        }
    }
}

SiteIcons::Made* SiteIcons::findMade(const QString& key) {
    const auto newer = made.find(key);
    if (newer != made.end()) {
        return &newer.value();
    }
    const auto older = olderMade.find(key);
    if (older == olderMade.end()) {
        return nullptr;
    }
    const Made icons = older.value();
    olderMade.erase(older);
    return &keep(key, icons);
}

SiteIcons::Made& SiteIcons::keep(const QString& key, const Made& icons) {
    if (made.size() >= kKeptIcons && !made.contains(key)) {
        olderMade = std::move(made);
        made.clear();
    }
    Made& kept = made[key];
    kept = icons;
    return kept;
}

QIcon SiteIcons::make(const QString& key, const IconImages& images, int side) {
    if (images.isNull()) {
        return {};
    }
    const int base = side > 16 ? 32 : 16;
    const QPixmap single = QPixmap::fromImage(images.atPixels(base));
    // The picture for twice the density only where a screen has it: it takes four times the
    // memory of the other.
    QPixmap twice;
    if (qGuiApp != nullptr && qGuiApp->devicePixelRatio() > 1.0) {
        twice = QPixmap::fromImage(images.atPixels(base * 2));
        twice.setDevicePixelRatio(2);
    }
    QIcon icon;
    // The same in every mode: a selected row keeps the site's colours.
    for (const QIcon::Mode mode : {QIcon::Normal, QIcon::Active, QIcon::Selected}) {
        icon.addPixmap(single, mode);
        if (!twice.isNull()) {
            icon.addPixmap(twice, mode);
        }
    }
    Made* found = findMade(key);
    Made& kept = found != nullptr ? *found : keep(key, Made{{}, {}, sinceStart.elapsed()});
    kept.of(side) = icon;
    return icon;
}
