#include "ticker/tickerlabel.h"

#include <QPainter>

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

void TickerLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(colour.isValid() ? colour : palette().color(foregroundRole()));
    painter.setFont(font());
    painter.drawText(QPointF(0, fontMetrics().ascent()), shownText());
}
