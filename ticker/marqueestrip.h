#pragma once

#include <QColor>
#include <QHash>
#include <QPixmap>
#include <QWidget>
#include <memory>

#include "ticker/marqueepresentation.h"

class FrameClock;
class QIcon;
class TickerSiteIcons;
class QFontMetrics;
class QImage;
class ServerStrip;

// The widest picture of a headline, in device pixels: what the X server keeps (and a 16-bit
// field of its protocol addresses). A headline wider than that is cut short with "…".
inline constexpr int kWidestMarqueePicture = 32767;

// The pixels an item's texts take, drawn as the strip draws them (lead, separator, headline).
[[nodiscard]] int marqueeTextWidth(const QFontMetrics& metrics, const MarqueeText& text);
// The texts with the lead (time and site) cut to leadWidth pixels, and both cut to width
// pixels when they are wider: the lead to a third of it at most, the headline to the rest;
// what is cut ends in "…".
[[nodiscard]] MarqueeText fitMarqueeText(const QFontMetrics& metrics, const MarqueeText& text,
                                         int width, int leadWidth);
// An item's width in pixels at the device pixel ratio: its texts', no wider than the widest
// picture allows.
[[nodiscard]] int marqueeItemWidth(int textWidth, qreal ratio);

// The marquee's band on the ticker: draws the presentation's line, each headline drawn once
// into a picture of its own. Its frame clock is a precise timer at the presentation's pace.
// On X11 the pictures are kept by the X server and every frame is put together there, in a
// window of the strip's own laid over the widget (ServerStrip); elsewhere Qt's paint moves
// what is drawn when the line moves and paints only the pixels that come in. The widget
// takes the clicks and the pointer either way.
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
    // Sites' icons before the site titles (null: none); while they are on, every item keeps
    // room for its icon, so that an icon that arrives later moves nothing.
    void useSiteIcons(TickerSiteIcons* icons);
    [[nodiscard]] bool framesRunning() const;
    // The line as it stands, for the tests: the still text, or the lead and headline of
    // every item in the band.
    [[nodiscard]] QString shownText() const;
    // The X server puts the frames together (see above).
    [[nodiscard]] bool drawnByServer() const { return server != nullptr; }

Q_SIGNALS:
    // A frame of the moving line was drawn.
    void frameDrawn();
    // A left click on a headline.
    void headlineClicked(int index);
    // A press anywhere else on the band.
    void pressedBeside();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // The item's picture in device pixels: as wide as the item, or as the widest picture
    // when the pixel ratio has grown since it was measured.
    [[nodiscard]] QSize pictureSize(const MarqueeItem& item) const;
    [[nodiscard]] QImage itemImage(const MarqueeItem& item) const;
    // An item's texts as drawn in width pixels: a lead never wider than the band.
    [[nodiscard]] MarqueeText fitted(const MarqueeText& text, int width) const;
    [[nodiscard]] const QPixmap& picture(const MarqueeItem& item);
    // The still line over the whole band.
    void drawStill(QPainter& painter) const;
    [[nodiscard]] bool showsStill() const;
    // The whole band, put together by the X server from its pictures.
    void drawOnServer();
    // Drops the pictures of the items that have left the line.
    void forgetGone();
    // colour: the headline's (0xRRGGBB); none: the text colour. icon (null: none; a null
    // icon: the program's) goes at siteAt in the lead.
    void drawTexts(QPainter& painter, int x, const QString& lead, const QString& text,
                   std::optional<quint32> colour, const QIcon* icon = nullptr,
                   qsizetype siteAt = -1) const;
    void drawIcon(QPainter& painter, int x, const QIcon& icon) const;
    // The pixels an item keeps for its site's icon: none while icons are off.
    [[nodiscard]] int iconSlot(const MarqueeText& text) const;
    // Every item's picture is drawn again.
    void dropPictures();

    static constexpr int kIconSide = 16;
    static constexpr int kIconSlot = kIconSide + 4;
    [[nodiscard]] int baseline() const;

    MarqueePresentation* presentation = nullptr;
    TickerSiteIcons* siteIcons = nullptr;
    FrameClock* clock = nullptr;
    QColor backColor{0, 0, 0};
    QColor foreColor{255, 255, 255};
    QString stillLead;
    QString stillText;
    // Pictures of the items on the line, by serial (Qt's paint).
    QHash<quint64, QPixmap> pictures;
    // Set on the first show when the X server can take the drawing; kept from then on.
    std::unique_ptr<ServerStrip> server;
    bool serverTried = false;
    qreal serverRatio = 0;
};
