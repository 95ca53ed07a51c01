#pragma once

#include <QIcon>
#include <QLabel>
#include <QPoint>

// The ticker's icon (picIcon): the program's, or the site's of the headline on display, and
// the handle by which the always-shown window is dragged. A left-button drag reports each
// move in twips; the release reports the drag's end (any button, as the window stores its
// place then).
class TickerSiteIcons;

class TickerIcon final : public QLabel {
    Q_OBJECT
public:
    explicit TickerIcon(QWidget* parent);

    // Where the sites' icons come from (null: nowhere); the icon shown follows their arrival.
    void useSiteIcons(TickerSiteIcons* icons);
    // The icon of the site of the feed at feedUrl; empty, or while the site has none: the
    // program's.
    void showFeed(const QString& feedUrl);
    // The site's icon; null: the program's.
    void showIcon(const QIcon& icon);
    // The site's icon is shown (not the program's).
    [[nodiscard]] bool showsSiteIcon() const { return !siteIcon.isNull(); }

Q_SIGNALS:
    // The pointer moved by this many twips with the left button down since the last report.
    void dragged(QPoint twips);
    void released();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void showPixmap();

    TickerSiteIcons* siteIcons = nullptr;
    QString feed;
    QIcon siteIcon;
    // Where the drag started, in twips within the icon.
    float dragX = 0;
    float dragY = 0;
};
