#include "ticker/shapeframe.h"

#include <QPainter>

namespace {
// Corner radius in pixels; the frames are 13 to 17 pixels tall.
constexpr qreal kCornerRadius = 3.0;
}  // namespace

ShapeFrame::ShapeFrame(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ShapeFrame::setBorderColor(const QColor& newColor) {
    color = newColor;
    update();
}

void ShapeFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(color, 1.0));
    painter.setBrush(Qt::NoBrush);
    // Half a pixel in, so the one-pixel pen lies on whole pixels.
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), kCornerRadius,
                            kCornerRadius);
}
