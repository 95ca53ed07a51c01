#include "ticker/tickerlabel.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

const char* const kDecorative = "qvDecorative";

QAccessibleInterface* decorativeAccessible(const QString&, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget != nullptr && widget->property(kDecorative).toBool()) {
        return new QAccessibleWidget(widget, QAccessible::Client);
    }
    return nullptr;
}

}  // namespace

void markDecorative(QWidget* widget) {
    // Installed once the widgets' own factory is: the newest factory is asked first.
    static const bool installed = [] {
        QAccessible::installFactory(decorativeAccessible);
        return true;
    }();
    Q_UNUSED(installed);
    widget->setProperty(kDecorative, true);
}

TickerLabel::TickerLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    // Headlines come from feeds: never let a title be read as markup.
    setTextFormat(Qt::PlainText);
}

void TickerLabel::setElideWidth(int pixels) {
    if (elideWidth != pixels) {
        elideWidth = pixels;
        update();
    }
}

QString TickerLabel::shownText() const {
    return fontMetrics().elidedText(text(), Qt::ElideRight, elideWidth > 0 ? elideWidth : width());
}

void TickerLabel::setTextColour(const QColor& textColour) {
    if (colour != textColour) {
        colour = textColour;
        update();
    }
}

int TickerLabel::realDescent() const {
    if (descent < 0 || descentFont != font()) {
        // The deepest Latin descenders, and the Japanese glyphs of the fallback font. The
        // font's own descent is often deeper than any of them (a Japanese UI font's line
        // leaves room below its ideographs), and would waste a 12 px row.
        // One glyph at a time: a string's box mixes the fonts' boxes less faithfully.
        const QFontMetricsF metrics(font());
        qreal deepest = 0;
        for (const QChar glyph : QStringLiteral("gjpqyQ,()見（）")) {
            deepest = std::max(deepest, metrics.tightBoundingRect(QString(glyph)).bottom());
        }
        descentFont = font();
        descent = int(std::ceil(deepest));
    }
    return descent;
}

void TickerLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(colour.isValid() ? colour : palette().color(foregroundRole()));
    painter.setFont(font());
    const int baseline = std::min(fontMetrics().ascent(), height() - realDescent());
    painter.drawText(QPointF(0, baseline), shownText());
}
