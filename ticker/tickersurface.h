#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <memory>

#include "core/settings.h"

class QMouseEvent;
class TickerPresentation;
class TickerShowing;
class TickerSiteIcons;

// The widget a presentation draws on: the room right of the ticker's icon, from the window's
// top to its bottom, up to the buttons' right-hand column (the buttons lie in front of it).
// The ticker hosts whichever surface the settings name and never asks which one it is: the
// surface makes its presentation, says how high the window is, lays out and colours what it
// draws, brings headlines in on the window's animation clock, and reports the clicks.
//
// Everything here runs on the UI thread. A surface that draws elsewhere (the marquee's X
// server strip) does so from the UI thread too; nothing of it waits on another thread.
class TickerSurface : public QWidget {
    Q_OBJECT
public:
    explicit TickerSurface(QWidget* parent);

    // The presentation that draws here. The showing owns it; the surface outlives it.
    [[nodiscard]] virtual std::unique_ptr<TickerPresentation> present(TickerShowing& showing) = 0;
    // The window's height with this surface, in twips.
    [[nodiscard]] virtual int heightTwips() const;
    // Puts the surface leftTwips from the window's left edge, widthTwips wide and as high
    // as the window, and lays out what it holds.
    void placeInWindow(int leftTwips, int widthTwips);
    virtual void setColors(const QColor& back, const QColor& fore) = 0;
    // What assistive technology reads for the headline on display.
    virtual void announce(const QString& name) = 0;
    // The sites' icons, for a surface that draws them with its entries (null: none).
    virtual void useSiteIcons(TickerSiteIcons* /*icons*/) {}

    // What the showing puts on display, for a surface that draws each entry as it comes; a
    // surface whose presentation draws its own entries ignores these.
    virtual void setStampAndSite(const QString& timeStamp, const QString& siteTitle);
    // The headline at once, in colour (invalid: the text colour).
    virtual void setHeadline(const QString& headline, const QColor& colour);
    // The headline brought in by the surface's animation; true when that animation now runs
    // and wants animationStep() on every tick of the window's animation clock.
    virtual bool bringInHeadline(const QString& headline, const QColor& colour);
    // One step of the animation at the scroll speed set; false once it has ended.
    virtual bool animationStep(int speed);
    // Ends a running animation at once; what is drawn stays as it is.
    virtual void finishAnimation();
    // The window was loaded afresh: nothing half brought in is left to show.
    virtual void clearAnimation();

Q_SIGNALS:
    // A left click on a headline (its queue index).
    void headlineClicked(int index);
    // Any other press on the surface: the ticker steps aside.
    void pressedBeside();

protected:
    // Lays out what the surface holds for its width in twips.
    virtual void layOut(int widthTwips) = 0;
    void mousePressEvent(QMouseEvent* event) override;
};

// The surface of the presentation of that kind, a child of parent.
[[nodiscard]] TickerSurface* makeTickerSurface(TickerPresentationKind kind, QWidget* parent);
