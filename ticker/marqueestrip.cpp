#include "ticker/marqueestrip.h"

#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPainter>
#include <QSet>
#include <QTimer>
#include <algorithm>
#include <functional>

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
    if (!stillText.isEmpty() || !stillLead.isEmpty() || presentation == nullptr) {
        painter.fillRect(area, backColor);
        painter.setFont(font());
        painter.setClipRect(rect());
        drawTexts(painter, 0, stillLead,
                  fontMetrics().elidedText(stillText, Qt::ElideRight,
                                           width() - measure({stillLead, {}, {}})),
                  std::nullopt);
        return;
    }
    const MarqueeModel& line = presentation->line();
    // Most frames paint a sliver inside one headline's picture: nothing else to fill then.
    const bool covered =
        std::any_of(line.items().begin(), line.items().end(), [&](const MarqueeItem& item) {
            return QRect(item.start - line.pixelOffset(), 0, item.width, height()).contains(area);
        });
    if (!covered) {
        painter.fillRect(area, backColor);
    }
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
