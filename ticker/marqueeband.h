#pragma once

#include "ticker/tickersurface.h"

class MarqueeStrip;

// The marquee's surface: its moving line (MarqueeStrip) from the icon's column to the
// buttons, as high as the window; the room below the buttons is empty.
class MarqueeBand final : public TickerSurface {
    Q_OBJECT
public:
    explicit MarqueeBand(QWidget* parent);

    [[nodiscard]] std::unique_ptr<TickerPresentation> present(TickerShowing& showing) override;
    void setColors(const QColor& back, const QColor& fore) override;
    void announce(const QString& name) override;
    void useSiteIcons(TickerSiteIcons* icons) override;

    [[nodiscard]] MarqueeStrip* strip() const { return line; }

protected:
    void layOut(int widthTwips) override;

private:
    MarqueeStrip* line = nullptr;
};
