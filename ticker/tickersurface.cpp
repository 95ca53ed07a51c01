#include "ticker/tickersurface.h"

#include <QMouseEvent>

#include "platform/desktop/screeninfo.h"
#include "ticker/marqueeband.h"
#include "ticker/tickerplacement.h"
#include "ticker/wipesurface.h"

TickerSurface* makeTickerSurface(TickerPresentationKind kind, QWidget* parent) {
    switch (kind) {
        case TickerPresentationKind::Wipe:
            return new WipeSurface(parent);
        case TickerPresentationKind::Marquee:
            return new MarqueeBand(parent);
    }
    return new WipeSurface(parent);
}

TickerSurface::TickerSurface(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("tickerSurface"));
}

int TickerSurface::heightTwips() const {
    return kTickerHeightTwips;
}

void TickerSurface::placeInWindow(int leftTwips, int widthTwips) {
    const int left = twipsToPixels(leftTwips);
    setGeometry(left, 0, twipsToPixels(leftTwips + widthTwips) - left,
                twipsToPixels(heightTwips()));
    layOut(widthTwips);
}

void TickerSurface::setStampAndSite(const QString&, const QString&) {}

void TickerSurface::setHeadline(const QString&, const QColor&) {}

bool TickerSurface::bringInHeadline(const QString&, const QColor&) {
    return false;
}

bool TickerSurface::animationStep(int) {
    return false;
}

void TickerSurface::finishAnimation() {}

void TickerSurface::clearAnimation() {}

void TickerSurface::mousePressEvent(QMouseEvent* event) {
    event->accept();
    Q_EMIT pressedBeside();
}
