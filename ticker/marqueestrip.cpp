#include "ticker/marqueestrip.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QElapsedTimer>
#include <QIcon>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <limits>

#include "platform/x11/serverstrip.h"
#include "ticker/marqueespans.h"
#include "ticker/tickersiteicons.h"

namespace {

// The space between an item's time and site and its headline.
const QString kLeadSeparator = QStringLiteral("  ");

// The still line's picture on the server; items count their serials from 1.
constexpr quint64 kStillPicture = 0;

// Part of the way from the back colour to the fore colour: the lead's dimmer shade.
QColor between(const QColor& back, const QColor& fore, qreal share) {
    return QColor::fromRgbF(back.redF() + (fore.redF() - back.redF()) * share,
                            back.greenF() + (fore.greenF() - back.greenF()) * share,
                            back.blueF() + (fore.blueF() - back.blueF()) * share);
}

// The moving line is text to a screen reader, named by the headline on display.
QAccessibleInterface* marqueeAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("MarqueeStrip")) {
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::StaticText);
    }
    return nullptr;
}

[[maybe_unused]] const bool marqueeFactoryInstalled = [] {
    QAccessible::installFactory(marqueeAccessible);
    return true;
}();

}  // namespace

int marqueeTextWidth(const QFontMetrics& metrics, const MarqueeText& text) {
    int width = metrics.horizontalAdvance(text.headline);
    if (!text.lead.isEmpty()) {
        width += metrics.horizontalAdvance(text.lead + kLeadSeparator);
    }
    return width;
}

MarqueeText fitMarqueeText(const QFontMetrics& metrics, const MarqueeText& text, int width,
                           int leadWidth) {
    MarqueeText fitted = text;
    if (!text.lead.isEmpty() && metrics.horizontalAdvance(text.lead) > leadWidth) {
        fitted.lead = metrics.elidedText(text.lead, Qt::ElideRight, leadWidth);
    }
    if (marqueeTextWidth(metrics, fitted) <= width) {
        return fitted;
    }
    int leadTaken = 0;
    if (!fitted.lead.isEmpty()) {
        fitted.lead = metrics.elidedText(fitted.lead, Qt::ElideRight, width / 3);
        leadTaken = metrics.horizontalAdvance(fitted.lead + kLeadSeparator);
    }
    fitted.headline =
        metrics.elidedText(text.headline, Qt::ElideRight, std::max(0, width - leadTaken));
    return fitted;
}

int marqueeItemWidth(int textWidth, qreal ratio) {
    const int widest = int(kWidestMarqueePicture / std::max<qreal>(ratio, 1e-3));
    return std::clamp(textWidth, 1, std::max(1, widest));
}

// Calls its strip at a steady pace with the number of frame times gone since the last call.
// Each frame is due a frame time after the one before, whenever the timer fired, so the
// frames keep their pace, and a late one makes up for the time lost.
class FrameClock final : public QObject {
public:
    explicit FrameClock(QObject* owner) : QObject(owner) {
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        connect(&timer, &QTimer::timeout, this, [this] { fire(); });
    }
    std::function<void(int)> tick;
    // The time between two frames, ms; asked again at every frame.
    std::function<double()> frameMs;

    void start() {
        running = true;
        since.start();
        due = step();
        schedule();
    }
    void stop() {
        running = false;
        timer.stop();
    }
    [[nodiscard]] bool isRunning() const { return running; }

private:
    [[nodiscard]] qint64 step() const {
        constexpr qint64 kShortestNs = 1'000'000;
        return std::max(kShortestNs, qint64(frameMs() * 1e6));
    }
    void schedule() {
        const qint64 wait = std::max<qint64>(0, due - since.nsecsElapsed());
        timer.start(int((wait + 999'999) / 1'000'000));
    }
    void fire() {
        // A precise timer may fire a fraction of a millisecond early.
        constexpr qint64 kEarlyNs = 500'000;
        const qint64 now = since.nsecsElapsed() + kEarlyNs;
        if (now < due) {
            schedule();
            return;
        }
        const qint64 each = step();
        const qint64 frames = 1 + (now - due) / each;
        due += frames * each;
        if (tick) {
            tick(int(std::min<qint64>(frames, 1000)));
        }
        if (running && !timer.isActive()) {
            schedule();
        }
    }

    QTimer timer;
    QElapsedTimer since;
    qint64 due = 0;  // ns on since
    bool running = false;
};

MarqueeStrip::MarqueeStrip(QWidget* parent) : QWidget(parent), clock(new FrameClock(this)) {
    setObjectName(QStringLiteral("marquee"));
    // Every pixel is painted here: Qt may then move the drawn pixels instead of repainting.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
    clock->tick = [this](int frames) {
        if (presentation != nullptr) {
            presentation->frame(frames);
        }
    };
    clock->frameMs = [this] {
        return presentation != nullptr ? presentation->pace().frameMs : 1000.0 / 60;
    };
}

MarqueeStrip::~MarqueeStrip() {
    clock->stop();
}

void MarqueeStrip::attach(MarqueePresentation* attached) {
    presentation = attached;
    pictures.clear();
    if (server != nullptr) {
        server->forgetAll();
    }
    redraw();
}

int MarqueeStrip::measure(const MarqueeText& text) const {
    const MarqueeText drawn = fitted(text, std::numeric_limits<int>::max());
    return marqueeItemWidth(marqueeTextWidth(fontMetrics(), drawn) + iconSlot(text),
                            devicePixelRatioF());
}

int MarqueeStrip::iconSlot(const MarqueeText& text) const {
    return siteIcons != nullptr && siteIcons->isOn() && text.siteAt >= 0 ? kIconSlot : 0;
}

void MarqueeStrip::useSiteIcons(TickerSiteIcons* icons) {
    siteIcons = icons;
    if (icons != nullptr) {
        // Room for every icon was kept as the items were measured: the pictures are drawn
        // again, the line does not move.
        connect(icons, &TickerSiteIcons::changed, this, &MarqueeStrip::dropPictures,
                Qt::UniqueConnection);
    }
    dropPictures();
}

void MarqueeStrip::dropPictures() {
    pictures.clear();
    if (server != nullptr) {
        server->forgetUnless([](quint64 key) { return key == kStillPicture; });
    }
    redraw();
}

void MarqueeStrip::drawIcon(QPainter& painter, int x, const QIcon& icon) const {
    const QRect box(x, (height() - kIconSide) / 2, kIconSide, kIconSide);
    if (icon.isNull()) {
        painter.drawPixmap(box, QPixmap(QStringLiteral(":/icons/app-16.png")));
    } else {
        icon.paint(&painter, box);
    }
}

MarqueeText MarqueeStrip::fitted(const MarqueeText& text, int room) const {
    return fitMarqueeText(fontMetrics(), text, room, std::max(1, width()));
}

void MarqueeStrip::runFrames(bool on) {
    if (on && !clock->isRunning()) {
        clock->start();
    } else if (!on) {
        clock->stop();
    }
}

bool MarqueeStrip::framesRunning() const {
    return clock->isRunning();
}

void MarqueeStrip::scrolled(int pixels) {
    if (showsStill()) {
        return;
    }
    if (server != nullptr) {
        drawOnServer();
    } else {
        // Moves the pixels already drawn; paintEvent gets only the strip that came in.
        // Painted and flushed now, in this frame's own pass of the event loop.
        scroll(-pixels, 0);
        repaint(QRect(width() - pixels, 0, pixels, height()));
    }
    forgetGone();
    Q_EMIT frameDrawn();
}

void MarqueeStrip::forgetGone() {
    if (presentation == nullptr) {
        return;
    }
    const std::deque<MarqueeItem>& items = presentation->line().items();
    const auto onLine = [&items](quint64 serial) {
        return std::any_of(items.begin(), items.end(),
                           [serial](const MarqueeItem& item) { return item.serial == serial; });
    };
    if (std::size_t(pictures.size()) > items.size()) {
        for (auto it = pictures.begin(); it != pictures.end();) {
            it = onLine(it.key()) ? std::next(it) : pictures.erase(it);
        }
    }
    if (server != nullptr && std::size_t(server->pictureCount()) >
                                 items.size() + (server->holds(kStillPicture) ? 1 : 0)) {
        server->forgetUnless(
            [&onLine](quint64 key) { return key == kStillPicture || onLine(key); });
    }
}

void MarqueeStrip::redraw() {
    if (server != nullptr) {
        drawOnServer();
    } else {
        update();
    }
}

void MarqueeStrip::showStill(const QString& lead, const QString& text) {
    stillLead = lead;
    stillText = text;
    if (server != nullptr) {
        server->forget(kStillPicture);
    }
    redraw();
}

bool MarqueeStrip::showsStill() const {
    return !stillText.isEmpty() || !stillLead.isEmpty() || presentation == nullptr;
}

void MarqueeStrip::setColors(const QColor& back, const QColor& fore) {
    backColor = back;
    foreColor = fore;
    pictures.clear();
    if (server != nullptr) {
        server->forgetAll();
    }
    redraw();
}

int MarqueeStrip::baseline() const {
    const QFontMetrics metrics = fontMetrics();
    return (height() - metrics.ascent() - metrics.descent()) / 2 + metrics.ascent();
}

void MarqueeStrip::drawTexts(QPainter& painter, int x, const QString& lead, const QString& text,
                             std::optional<quint32> colour, const QIcon* icon,
                             qsizetype siteAt) const {
    const int y = baseline();
    if (!lead.isEmpty()) {
        painter.setPen(between(backColor, foreColor, 0.6));
        // The icon goes before the site title; where the lead was cut short before it, after
        // what is left of it.
        const qsizetype at = icon != nullptr ? std::clamp<qsizetype>(siteAt, 0, lead.size()) : 0;
        const QString before = lead.left(at);
        painter.drawText(x, y, before);
        x += fontMetrics().horizontalAdvance(before);
        if (icon != nullptr) {
            drawIcon(painter, x, *icon);
            x += kIconSlot;
        }
        const QString after = lead.mid(at);
        painter.drawText(x, y, after);
        x += fontMetrics().horizontalAdvance(after + kLeadSeparator);
    }
    painter.setPen(colour ? QColor(QRgb(*colour)) : foreColor);
    painter.drawText(x, y, text);
}

QSize MarqueeStrip::pictureSize(const MarqueeItem& item) const {
    const QSize size = QSize(item.width, height()) * devicePixelRatioF();
    return {std::min(size.width(), kWidestMarqueePicture), size.height()};
}

QImage MarqueeStrip::itemImage(const MarqueeItem& item) const {
    const qreal ratio = devicePixelRatioF();
    const QSize size = pictureSize(item);
    QImage image(size, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(backColor);
    QPainter painter(&image);
    painter.setFont(font());
    const int slot = iconSlot(item.text);
    const MarqueeText text = fitted(item.text, int(size.width() / ratio) - slot);
    QIcon icon;
    if (slot > 0) {
        icon = siteIcons->iconOfFeed(item.text.feedUrl);
    }
    drawTexts(painter, 0, text.lead, text.headline, text.colour, slot > 0 ? &icon : nullptr,
              item.text.siteAt);
    return image;
}

const QPixmap& MarqueeStrip::picture(const MarqueeItem& item) {
    auto found = pictures.find(item.serial);
    if (found == pictures.end()) {
        found = pictures.insert(item.serial, QPixmap::fromImage(itemImage(item)));
    }
    return *found;
}

void MarqueeStrip::drawStill(QPainter& painter) const {
    MarqueeText still;
    still.lead = stillLead;
    painter.fillRect(rect(), backColor);
    painter.setFont(font());
    painter.setClipRect(rect());
    drawTexts(painter, 0, stillLead,
              fontMetrics().elidedText(stillText, Qt::ElideRight, width() - measure(still)),
              std::nullopt);
}

void MarqueeStrip::paintEvent(QPaintEvent* event) {
    if (server != nullptr) {
        return;  // the server's window covers the band
    }
    QPainter painter(this);
    if (showsStill()) {
        drawStill(painter);
        return;
    }
    const QRect area = event->rect();
    const MarqueeModel& line = presentation->line();
    const qreal ratio = devicePixelRatioF();
    forEachMarqueeSpan(
        line, area.left(), area.right() + 1, [&](int x, int width, const MarqueeItem* item) {
            const QRect part(x, area.top(), width, area.height());
            if (item == nullptr) {
                painter.fillRect(part, backColor);
                return;
            }
            const QPixmap& pixmap = picture(*item);
            // Beyond a picture cut at the widest (the pixel ratio grew) lies the back colour.
            const bool cut = pixmap.width() < qRound(item->width * ratio);
            const int inItem = x + line.pixelOffset() - item->start;
            const int pictured =
                cut ? std::clamp(int(pixmap.width() / ratio) - inItem, 0, width) : width;
            const QRect drawn(x, area.top(), pictured, area.height());
            const QRectF source(drawn.translated(line.pixelOffset() - item->start, 0));
            painter.drawPixmap(QRectF(drawn), pixmap,
                               QRectF(source.topLeft() * ratio, source.size() * ratio));
            painter.fillRect(part.adjusted(pictured, 0, 0, 0), backColor);
        });
}

void MarqueeStrip::drawOnServer() {
    if (server == nullptr || !server->ready()) {
        return;
    }
    const qreal ratio = devicePixelRatioF();
    if (ratio != serverRatio) {
        serverRatio = ratio;
        server->forgetAll();
        server->follow(isVisible());
    }
    const auto device = [ratio](int x) { return qRound(x * ratio); };
    if (showsStill()) {
        if (!server->holds(kStillPicture)) {
            QImage image(size() * ratio, QImage::Format_RGB32);
            image.setDevicePixelRatio(ratio);
            QPainter painter(&image);
            drawStill(painter);
            painter.end();
            server->keep(kStillPicture, image);
        }
        server->copy(kStillPicture, 0, 0, device(width()));
        server->flush();
        return;
    }
    const MarqueeModel& line = presentation->line();
    forEachMarqueeSpan(line, 0, width(), [&](int x, int width, const MarqueeItem* item) {
        const int from = device(x);
        const int to = device(x + width);
        if (item == nullptr) {
            server->fill(from, to - from, backColor.rgb());
            return;
        }
        if (!server->holds(item->serial)) {
            server->keep(item->serial, itemImage(*item));
        }
        const int itemLeft = device(item->start - line.pixelOffset());
        const int pictured = std::clamp(itemLeft + pictureSize(*item).width(), from, to);
        server->copy(item->serial, from - itemLeft, from, pictured - from);
        server->fill(pictured, to - pictured, backColor.rgb());
    });
    server->flush();
}

QString MarqueeStrip::shownText() const {
    if (showsStill()) {
        return stillLead + kLeadSeparator + stillText;
    }
    QStringList texts;
    const MarqueeModel& line = presentation->line();
    for (const MarqueeItem& item : line.items()) {
        const int x = item.start - line.pixelOffset();
        if (x < width() && x + item.width > 0) {
            texts.append(item.text.lead + kLeadSeparator + item.text.headline);
        }
    }
    return texts.join(QLatin1Char('|'));
}

void MarqueeStrip::mousePressEvent(QMouseEvent* event) {
    event->accept();
    const int index = event->button() == Qt::LeftButton && presentation != nullptr
                          ? presentation->indexAt(qRound(event->position().x()))
                          : 0;
    if (index > 0) {
        Q_EMIT headlineClicked(index);
    } else {
        Q_EMIT pressedBeside();
    }
}

void MarqueeStrip::resizeEvent(QResizeEvent*) {
    pictures.clear();
    if (server != nullptr) {
        server->forgetAll();
        server->follow(isVisible());
    }
    if (presentation != nullptr) {
        presentation->bandResized();
    }
    if (server != nullptr) {
        drawOnServer();
    }
}

bool MarqueeStrip::event(QEvent* event) {
    // On another screen the window's pixels may be of another size.
    if (event->type() == QEvent::ScreenChangeInternal && server != nullptr) {
        drawOnServer();
    }
    return QWidget::event(event);
}

void MarqueeStrip::moveEvent(QMoveEvent*) {
    if (server != nullptr) {
        server->follow(isVisible());
    }
}

void MarqueeStrip::showEvent(QShowEvent*) {
    if (!serverTried) {
        serverTried = true;
        server = ServerStrip::over(*this);
        if (server != nullptr) {
            server->exposed = [this] { drawOnServer(); };
        }
    }
    if (server != nullptr) {
        server->follow(true);
        drawOnServer();
    }
}

void MarqueeStrip::hideEvent(QHideEvent*) {
    if (server != nullptr) {
        server->follow(false);
    }
}
