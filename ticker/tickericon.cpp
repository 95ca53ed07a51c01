#include "ticker/tickericon.h"

#include <QMouseEvent>
#include <QPixmap>

#include "platform/desktop/screeninfo.h"
#include "ticker/tickersiteicons.h"

namespace {

constexpr int kSide = 16;

}  // namespace

TickerIcon::TickerIcon(QWidget* parent) : QLabel(parent) {
    setObjectName(QStringLiteral("picIcon"));
    setAlignment(Qt::AlignCenter);
    setAutoFillBackground(true);
    setToolTip(tr("常に表示するモードのとき、ここをドラッグすると移動できます。"));
    setAccessibleName(tr("ティッカーの移動用アイコン"));
    showPixmap();
}

void TickerIcon::useSiteIcons(TickerSiteIcons* icons) {
    siteIcons = icons;
    if (icons != nullptr) {
        connect(icons, &TickerSiteIcons::changed, this, [this] { showFeed(feed); });
    }
    showFeed(feed);
}

void TickerIcon::showFeed(const QString& feedUrl) {
    feed = feedUrl;
    showIcon(siteIcons != nullptr ? siteIcons->iconOfFeed(feedUrl) : QIcon());
}

void TickerIcon::showIcon(const QIcon& icon) {
    // The same icon again (every headline of a site) draws nothing anew.
    if (icon.cacheKey() == siteIcon.cacheKey()) {
        return;
    }
    siteIcon = icon;
    showPixmap();
}

void TickerIcon::showPixmap() {
    if (siteIcon.isNull()) {
        setPixmap(QPixmap(QStringLiteral(":/icons/app-16.png")));
    } else {
        setPixmap(siteIcon.pixmap(QSize(kSide, kSide), devicePixelRatioF()));
    }
}

void TickerIcon::mousePressEvent(QMouseEvent* event) {
    event->accept();
    dragX = float(event->position().x() * kTwipsPerPixel);
    dragY = float(event->position().y() * kTwipsPerPixel);
}

void TickerIcon::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    if (event->buttons() != Qt::LeftButton) {
        return;
    }
    const float x = float(event->position().x() * kTwipsPerPixel);
    const float y = float(event->position().y() * kTwipsPerPixel);
    Q_EMIT dragged(QPoint(qRound(x - dragX), qRound(y - dragY)));
}

void TickerIcon::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    Q_EMIT released();
}
