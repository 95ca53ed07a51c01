#include "ticker/tickerlabel.h"

#include <QPainter>

TickerLabel::TickerLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    // Headlines come from feeds: never let a title be read as markup.
    setTextFormat(Qt::PlainText);
}

void TickerLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    painter.setFont(font());
    painter.drawText(QPointF(0, fontMetrics().ascent()), text());
}
