#pragma once

#include "ticker/tickerlabel.h"
#include "ticker/tickersurface.h"

// The wipe's surface: the time stamp and the site title over a line, the headline under it,
// and the overlay that wipes each new headline in from the right over the old one. Its
// twips are the window's less the icon's column: the stamp at 0, the site title at 1560,
// the line at 240, the headline at 285, 6240 twips wide (wider in a band).
class WipeSurface final : public TickerSurface {
    Q_OBJECT
public:
    explicit WipeSurface(QWidget* parent);

    [[nodiscard]] std::unique_ptr<TickerPresentation> present(TickerShowing& showing) override;
    void setColors(const QColor& back, const QColor& fore) override;
    void announce(const QString& name) override;
    void setStampAndSite(const QString& timeStamp, const QString& siteTitle) override;
    void setHeadline(const QString& headline, const QColor& colour) override;
    bool bringInHeadline(const QString& headline, const QColor& colour) override;
    bool animationStep(int speed) override;
    void finishAnimation() override;
    void clearAnimation() override;

    // The labels, for the tests and the screenshots.
    [[nodiscard]] TickerLabel* lblTimeStamp() const { return stamp; }
    [[nodiscard]] TickerLabel* lblSiteTitle() const { return site; }
    [[nodiscard]] QWidget* lineTicker() const { return line; }
    [[nodiscard]] TickerLabel* lblNews() const { return news; }
    [[nodiscard]] TickerLabel* lblNewsOver() const { return newsOver; }

protected:
    void layOut(int widthTwips) override;

private:
    // Moves the site title right of a time stamp too wide for its column.
    void fitSiteTitle();
    void placeNewsOver();
    [[nodiscard]] int newsWidth() const;

    TickerLabel* stamp = nullptr;
    TickerLabel* site = nullptr;
    QWidget* line = nullptr;
    TickerLabel* news = nullptr;
    TickerLabel* newsOver = nullptr;
    int widthTwips = 0;
    bool wiping = false;
    // The overlay's left edge and width, in the surface's twips.
    int newsOverLeft = 6120;
    int newsOverWidth = 15;
};
