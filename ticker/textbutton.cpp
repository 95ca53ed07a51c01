#include "ticker/textbutton.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>

namespace {

// A label drawn as a button is a button to a screen reader: its role, its name and a press
// action, which clicks it as the mouse does.
class TextButtonAccessible final : public QAccessibleWidget {
public:
    explicit TextButtonAccessible(TextButton* button)
        : QAccessibleWidget(button, QAccessible::Button) {}

    [[nodiscard]] QString text(QAccessible::Text t) const override {
        const QString own = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && own.isEmpty()) {
            return static_cast<const TextButton*>(widget())->text();
        }
        return own;
    }
    [[nodiscard]] QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& actionName) override {
        if (actionName == pressAction()) {
            static_cast<TextButton*>(widget())->click();
        } else {
            QAccessibleWidget::doAction(actionName);
        }
    }
};

QAccessibleInterface* textButtonAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("TextButton")) {
        return new TextButtonAccessible(static_cast<TextButton*>(object));
    }
    return nullptr;
}

// Installed before any button is made: an interface asked for while the button is still
// being built would be a label's, and stay so.
[[maybe_unused]] const bool factoryInstalled = [] {
    QAccessible::installFactory(textButtonAccessible);
    return true;
}();

}  // namespace

TextButton::TextButton(const QString& caption, const QString& toolTip, QWidget* parent)
    : QLabel(caption, parent) {
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignCenter);
    setToolTip(toolTip);
    setAttribute(Qt::WA_NoMousePropagation);
}

void TextButton::click() {
    if (isEnabled()) {
        Q_EMIT clicked();
    }
}

void TextButton::mousePressEvent(QMouseEvent* event) {
    leftPressed = event->button() == Qt::LeftButton;
    event->accept();
}

void TextButton::mouseReleaseEvent(QMouseEvent* event) {
    const bool released = leftPressed && event->button() == Qt::LeftButton &&
                          rect().contains(event->position().toPoint());
    leftPressed = false;
    event->accept();
    if (released) {
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
