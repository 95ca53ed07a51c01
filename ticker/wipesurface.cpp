#include "ticker/wipesurface.h"

#include <QPalette>
#include <algorithm>

#include "platform/desktop/screeninfo.h"
#include "ticker/tickerlabel.h"
#include "ticker/tickermotion.h"
#include "ticker/tickerplacement.h"
#include "ticker/tickerpresentation.h"
#include "ticker/tickershowing.h"
#include "ui/twipslayout.h"

namespace {

// Where the line under the time stamp and the site title lies, in twips.
constexpr int kLineTop = 240;
constexpr int kSiteLeft = 1560;
constexpr int kNewsTop = 285;
// The design's widths, in the window of the design's width.
constexpr int kStampWidth = 5175;
constexpr int kLineWidth = 5160;
constexpr int kNewsWidth = 6240;

// A text label's pixel box runs from its top down to what lies below its row: the line under
// the time stamp and the site title, the window's bottom edge under the headline. The
// 180-twip (12 px) rows were made for a 12 px font; the fonts here need more, and within
// that box the label keeps their descenders whole (TickerLabel), never under the line or
// past the window's edge.
void placeLabelTwips(QLabel* label, int left, int top, int width) {
    const int bottom = top < kLineTop ? kLineTop : kTickerHeightTwips;
    placeTwips(label, left, top, width, bottom - top);
}

TickerLabel* textLabel(const QString& name, const QString& text, QWidget* parent) {
    auto* label = new TickerLabel(text, parent);
    label->setObjectName(name);
    return label;
}

}  // namespace

WipeSurface::WipeSurface(QWidget* parent) : TickerSurface(parent) {
    // Creation order is stacking order: the overlay lies in front of the headline.
    stamp = textLabel(QStringLiteral("lblTimeStamp"), QStringLiteral("Quorvane3"), this);
    site = textLabel(QStringLiteral("lblSiteTitle"), QString(), this);
    line = new QWidget(this);
    line->setObjectName(QStringLiteral("lineTicker"));
    line->setAutoFillBackground(true);
    line->setAttribute(Qt::WA_TransparentForMouseEvents);
    // Grey until the settings' colours are applied.
    QPalette linePalette = line->palette();
    linePalette.setColor(QPalette::Window, QColor(128, 128, 128));
    line->setPalette(linePalette);

    news = textLabel(QStringLiteral("lblNews"), TickerShowing::loadingText(), this);
    // The wipe's overlay draws the headline lblNews is named by: nothing of its own to read.
    // Marked before it holds a text, which assistive technology would otherwise ask about.
    newsOver = textLabel(QStringLiteral("lblNewsOver"), QString(), this);
    markDecorative(newsOver);
    newsOver->setText(TickerShowing::loadingText());
    newsOver->setAutoFillBackground(true);
    // A press on the overlay stays there; one on a text label reaches the surface, which
    // steps the ticker aside.
    newsOver->setAttribute(Qt::WA_NoMousePropagation);

    stamp->setAccessibleDescription(tr("記事の日時"));
    site->setAccessibleDescription(tr("記事のサイト名"));
    news->setAccessibleDescription(tr("記事の見出し"));
}

std::unique_ptr<TickerPresentation> WipeSurface::present(TickerShowing& showing) {
    return std::make_unique<WipePresentation>(showing);
}

int WipeSurface::newsWidth() const {
    // The headline takes the surface's whole width.
    return widthTwips;
}

void WipeSurface::layOut(int width) {
    widthTwips = width;
    const int extra = width - kNewsWidth;
    placeLabelTwips(stamp, 0, 30, kStampWidth + extra);
    placeLabelTwips(site, kSiteLeft, 30, kStampWidth - kSiteLeft + extra);
    // A one-pixel line between its two ends.
    line->setGeometry(0, twipsToPixels(kLineTop), twipsToPixels(kLineWidth + extra) + 1, 1);
    placeLabelTwips(news, 0, kNewsTop, newsWidth());
    placeNewsOver();
    fitSiteTitle();
}

void WipeSurface::setColors(const QColor&, const QColor& fore) {
    QPalette linePalette = line->palette();
    linePalette.setColor(QPalette::Window, fore);
    line->setPalette(linePalette);
}

void WipeSurface::announce(const QString& name) {
    news->setAccessibleName(name);
}

void WipeSurface::setStampAndSite(const QString& timeStamp, const QString& siteTitle) {
    stamp->setText(timeStamp);
    site->setText(siteTitle);
    // Read by its text; an empty one still says what it is.
    site->setAccessibleName(siteTitle.isEmpty() ? tr("サイト名なし") : QString());
    fitSiteTitle();
}

void WipeSurface::setHeadline(const QString& headline, const QColor& colour) {
    news->setTextColour(colour);
    news->setText(headline);
}

bool WipeSurface::bringInHeadline(const QString& headline, const QColor& colour) {
    // An empty headline starts nothing: the headline becomes empty, or, while a wipe runs,
    // that wipe ends on an empty headline.
    if (headline.isEmpty()) {
        if (wiping) {
            newsOver->clear();
        } else {
            news->clear();
        }
        return wiping;
    }
    newsOverLeft = newsWidth();
    newsOverWidth = 0;
    newsOver->setTextColour(colour);
    newsOver->setText(headline);
    placeNewsOver();
    newsOver->show();
    wiping = true;
    return true;
}

bool WipeSurface::animationStep(int speed) {
    if (!wiping) {
        return false;
    }
    const WipeStep step = wipeStep(0, newsWidth(), newsOverLeft, speed);
    newsOverLeft = step.overLeft;
    newsOverWidth = step.overWidth;
    placeNewsOver();
    if (step.finished) {
        newsOver->hide();
        news->setTextColour(newsOver->textColour());
        news->setText(newsOver->text());
        wiping = false;
    }
    return wiping;
}

void WipeSurface::finishAnimation() {
    if (wiping) {
        newsOver->hide();
        wiping = false;
    }
}

void WipeSurface::clearAnimation() {
    newsOver->clear();
}

void WipeSurface::placeNewsOver() {
    placeLabelTwips(newsOver, newsOverLeft, kNewsTop, newsOverWidth);
    // The new headline ends in "…" where it will end once it has come in whole; until then
    // the overlay's edge cuts it.
    newsOver->setElideWidth(news->width());
}

void WipeSurface::fitSiteTitle() {
    // The site title's column starts 1560 twips after the time stamp's: room for a date
    // with seconds in the 12 px font the layout was made for, not in wider UI fonts. The
    // title then starts one space after the date; the twips stay as they are.
    const int needed =
        stamp->x() + stamp->fontMetrics().horizontalAdvance(stamp->text() + QLatin1Char(' '));
    const int right = site->geometry().right() + 1;
    const int left = std::min(std::max(twipsToPixels(kSiteLeft), needed), right);
    site->setGeometry(left, site->y(), right - left, site->height());
}
