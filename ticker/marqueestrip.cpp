#include "ticker/marqueestrip.h"

#include <QAbstractAnimation>
#include <QMouseEvent>
#include <QPainter>
#include <QSet>

namespace {

// The space between an item's time and site and its headline.
const QString kLeadSeparator = QStringLiteral("  ");

// Part of the way from the back colour to the fore colour: the lead's dimmer shade.
QColor between(const QColor& back, const QColor& fore, qreal share) {
    return QColor::fromRgbF(back.redF() + (fore.redF() - back.redF()) * share,
                            back.greenF() + (fore.greenF() - back.greenF()) * share,
                            back.blueF() + (fore.blueF() - back.blueF()) * share);
}

}  // namespace

// Calls its strip once a display frame with the milliseconds since the last one.
class FrameClock final : public QAbstractAnimation {
public:
    explicit FrameClock(QObject* owner) : QAbstractAnimation(owner) {}
    [[nodiscard]] int duration() const override { return -1; }
    std::function<void(int)> tick;

protected:
    void updateCurrentTime(int currentTime) override {
        const int elapsed = currentTime - last;
        last = currentTime;
        if (elapsed > 0 && tick) {
            tick(elapsed);
        }
    }
    void updateState(State newState, State) override {
        if (newState == Running) {
            last = 0;
        }
    }

private:
    int last = 0;
};

MarqueeStrip::MarqueeStrip(QWidget* parent) : QWidget(parent), clock(new FrameClock(this)) {
    setObjectName(QStringLiteral("marquee"));
    // Every pixel is painted here: Qt may then move the drawn pixels instead of repainting.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
    clock->tick = [this](int ms) {
        if (presentation != nullptr) {
            presentation->frame(ms);
        }
    };
}

MarqueeStrip::~MarqueeStrip() {
    clock->stop();
}

void MarqueeStrip::attach(MarqueePresentation* attached) {
    presentation = attached;
    pictures.clear();
    update();
}

int MarqueeStrip::measure(const MarqueeText& text) const {
    const QFontMetrics metrics = fontMetrics();
    int width = metrics.horizontalAdvance(text.headline);
    if (!text.lead.isEmpty()) {
        width += metrics.horizontalAdvance(text.lead + kLeadSeparator);
    }
    return std::max(1, width);
}

void MarqueeStrip::runFrames(bool on) {
    if (on && clock->state() != QAbstractAnimation::Running) {
        clock->start();
    } else if (!on) {
        clock->stop();
    }
}

bool MarqueeStrip::framesRunning() const {
    return clock->state() == QAbstractAnimation::Running;
}

void MarqueeStrip::scrolled(int pixels) {
    if (!stillText.isEmpty() || !stillLead.isEmpty()) {
        return;
    }
    // Moves the pixels already drawn; paintEvent gets only the strip that came in. Painted
    // and flushed now, in this frame's own pass of the event loop.
    scroll(-pixels, 0);
    repaint(QRect(width() - pixels, 0, pixels, height()));
    if (presentation != nullptr &&
        std::size_t(pictures.size()) > presentation->line().items().size()) {
        QSet<quint64> live;
        for (const MarqueeItem& item : presentation->line().items()) {
            live.insert(item.serial);
        }
        for (auto it = pictures.begin(); it != pictures.end();) {
            it = live.contains(it.key()) ? std::next(it) : pictures.erase(it);
        }
    }
}

void MarqueeStrip::redraw() {
    update();
}

void MarqueeStrip::showStill(const QString& lead, const QString& text) {
    stillLead = lead;
    stillText = text;
    update();
}

void MarqueeStrip::setColors(const QColor& back, const QColor& fore) {
    backColor = back;
    foreColor = fore;
    pictures.clear();
    update();
}

int MarqueeStrip::baseline() const {
    const QFontMetrics metrics = fontMetrics();
    return (height() - metrics.ascent() - metrics.descent()) / 2 + metrics.ascent();
}

void MarqueeStrip::drawTexts(QPainter& painter, int x, const QString& lead, const QString& text,
                             std::optional<quint32> colour) const {
    const int y = baseline();
    if (!lead.isEmpty()) {
        painter.setPen(between(backColor, foreColor, 0.6));
        painter.drawText(x, y, lead);
        x += fontMetrics().horizontalAdvance(lead + kLeadSeparator);
    }
    painter.setPen(colour ? QColor(QRgb(*colour)) : foreColor);
    painter.drawText(x, y, text);
}

const QPixmap& MarqueeStrip::picture(const MarqueeItem& item) {
    auto found = pictures.find(item.serial);
    if (found == pictures.end()) {
        const qreal ratio = devicePixelRatioF();
        QPixmap pixmap(QSize(item.width, height()) * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(backColor);
        QPainter painter(&pixmap);
        painter.setFont(font());
        drawTexts(painter, 0, item.text.lead, item.text.headline, item.text.colour);
        found = pictures.insert(item.serial, pixmap);
    }
    return *found;
}

void MarqueeStrip::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect area = event->rect();
    painter.fillRect(area, backColor);
    if (!stillText.isEmpty() || !stillLead.isEmpty() || presentation == nullptr) {
        painter.setFont(font());
        painter.setClipRect(rect());
        drawTexts(painter, 0, stillLead,
                  fontMetrics().elidedText(stillText, Qt::ElideRight,
                                           width() - measure({stillLead, {}, {}})),
                  std::nullopt);
        return;
    }
    const MarqueeModel& line = presentation->line();
    for (const MarqueeItem& item : line.items()) {
        const int x = item.start - line.pixelOffset();
        const QRect box(x, 0, item.width, height());
        const QRect part = box.intersected(area);
        if (part.isEmpty()) {
            continue;
        }
        painter.drawPixmap(part.topLeft(), picture(item), part.translated(-x, 0));
    }
}

QString MarqueeStrip::shownText() const {
    if (!stillText.isEmpty() || !stillLead.isEmpty() || presentation == nullptr) {
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
    if (presentation != nullptr) {
        presentation->bandResized();
    }
}
