#include "ticker/tickerlabel.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>

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

void TickerLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(colour.isValid() ? colour : palette().color(foregroundRole()));
    painter.setFont(font());
    painter.drawText(QPointF(0, fontMetrics().ascent()), shownText());
}
