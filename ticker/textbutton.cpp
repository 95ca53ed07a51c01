#include "ticker/textbutton.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>

TextButton::TextButton(const QString& caption, const QString& toolTip, QWidget* parent)
    : QLabel(caption, parent) {
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignCenter);
    setToolTip(toolTip);
    setAttribute(Qt::WA_NoMousePropagation);
}

void TextButton::mousePressEvent(QMouseEvent* event) {
    leftPressed = event->button() == Qt::LeftButton;
    event->accept();
}

void TextButton::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = leftPressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    leftPressed = false;
    event->accept();
    if (click) {
        Q_EMIT clicked();
    }
}

void TextButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
    painter.setPen(palette().color(group, QPalette::WindowText));
    painter.setFont(font());
    // Centred on the UI font's line, whatever fallback font the glyphs come from.
    const QFontMetricsF metrics(font());
    const qreal advance = metrics.horizontalAdvance(text());
    const qreal room = width() - 2.0;  // a pixel for the frame on either side
    const qreal squeeze = advance > room && advance > 0 ? room / advance : 1.0;
    painter.translate(width() / 2.0,
                      (height() - metrics.ascent() - metrics.descent()) / 2.0 + metrics.ascent());
    painter.scale(squeeze, 1.0);
    painter.drawText(QPointF(-advance / 2.0, 0.0), text());
}
