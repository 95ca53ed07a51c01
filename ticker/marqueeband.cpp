#include "ticker/marqueeband.h"

#include "ticker/marqueepresentation.h"
#include "ticker/marqueestrip.h"
#include "ui/twipslayout.h"

namespace {

// The line ends where the buttons' column begins, in the window of the design's width.
constexpr int kLineWidth = 5220;
constexpr int kSurfaceWidth = 6240;

}  // namespace

MarqueeBand::MarqueeBand(QWidget* parent) : TickerSurface(parent), line(new MarqueeStrip(this)) {
    connect(line, &MarqueeStrip::headlineClicked, this, &TickerSurface::headlineClicked);
    connect(line, &MarqueeStrip::pressedBeside, this, &TickerSurface::pressedBeside);
    line->setAccessibleDescription(tr("記事の見出し"));
}

std::unique_ptr<TickerPresentation> MarqueeBand::present(TickerShowing& showing) {
    return std::make_unique<MarqueePresentation>(showing, *line);
}

void MarqueeBand::layOut(int widthTwips) {
    placeTwips(line, 0, 0, kLineWidth + widthTwips - kSurfaceWidth, heightTwips());
}

void MarqueeBand::setColors(const QColor& back, const QColor& fore) {
    line->setColors(back, fore);
}

void MarqueeBand::announce(const QString& name) {
    line->setAccessibleName(name);
}

void MarqueeBand::useSiteIcons(TickerSiteIcons* icons) {
    line->useSiteIcons(icons);
}
