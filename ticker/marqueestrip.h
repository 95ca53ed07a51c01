#pragma once

#include <QColor>
#include <QHash>
#include <QPixmap>
#include <QWidget>

#include "ticker/marqueepresentation.h"

class FrameClock;

// The marquee's band on the ticker: draws the presentation's line, moves what it has drawn
// when the line moves and paints only the pixels that come in, each headline drawn once
// into a picture of its own. Its frame clock is a precise timer at the presentation's pace.
class MarqueeStrip final : public QWidget, public MarqueeSurface {
    Q_OBJECT
public:
    explicit MarqueeStrip(QWidget* parent);
    ~MarqueeStrip() override;

    void attach(MarqueePresentation* presentation) override;
    [[nodiscard]] int bandWidth() const override { return width(); }
    [[nodiscard]] int measure(const MarqueeText& text) const override;
    void runFrames(bool on) override;
    void scrolled(int pixels) override;
    void redraw() override;
    void showStill(const QString& lead, const QString& text) override;

    void setColors(const QColor& back, const QColor& fore);
    [[nodiscard]] bool framesRunning() const;
    // The line as it stands, for the tests: the still text, or the lead and headline of
    // every item in the band.
    [[nodiscard]] QString shownText() const;

Q_SIGNALS:
    // A left click on a headline.
    void headlineClicked(int index);
    // A press anywhere else on the band.
    void pressedBeside();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    [[nodiscard]] const QPixmap& picture(const MarqueeItem& item);
    // colour: the headline's (0xRRGGBB); none: the text colour.
    void drawTexts(QPainter& painter, int x, const QString& lead, const QString& text,
                   std::optional<quint32> colour) const;
    [[nodiscard]] int baseline() const;

    MarqueePresentation* presentation = nullptr;
    FrameClock* clock = nullptr;
    QColor backColor{0, 0, 0};
    QColor foreColor{255, 255, 255};
    QString stillLead;
    QString stillText;
    // Pictures of the items on the line, by serial.
    QHash<quint64, QPixmap> pictures;
};
