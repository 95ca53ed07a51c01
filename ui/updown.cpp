#include "ui/updown.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <algorithm>
#include <optional>

#include "settings/optionrules.h"

UpDown::UpDown(QLineEdit* buddyBox, int minimum, int maximum, int increment, QWidget* parent)
    : QWidget(parent),
      buddy(buddyBox),
      minValue(minimum),
      maxValue(maximum),
      step(increment),
      lastValue(minimum) {
    const auto arrow = [this](Qt::ArrowType type, int direction) {
        auto* button = new QToolButton(this);
        button->setArrowType(type);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, this, [this, direction]() { stepBy(direction); });
        return button;
    };
    upButton = arrow(Qt::UpArrow, 1);
    downButton = arrow(Qt::DownArrow, -1);
    // The arrows draw no text: a screen reader needs to be told what they do.
    upButton->setAccessibleName(tr("値を増やす"));
    downButton->setAccessibleName(tr("値を減らす"));
    buddy->installEventFilter(this);
}

void UpDown::setMaximum(int maximum) {
    maxValue = maximum;
    lastValue = std::clamp(lastValue, minValue, std::max(minValue, maxValue));
}

void UpDown::setValue(int value) {
    lastValue = std::clamp(value, minValue, std::max(minValue, maxValue));
}

void UpDown::stepBy(int steps) {
    if (!isEnabled()) {
        return;
    }
    double from = lastValue;
    if (const std::optional<double> typed = numberFromText(buddy->text())) {
        from = roundHalfEven(*typed);
    }
    const double to = from + double(steps) * step;
    lastValue = int(std::clamp(to, double(minValue), double(std::max(minValue, maxValue))));
    buddy->setText(QString::number(lastValue));
}

void UpDown::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int upHeight = height() / 2;
    upButton->setGeometry(0, 0, width(), upHeight);
    downButton->setGeometry(0, upHeight, width(), height() - upHeight);
}

bool UpDown::eventFilter(QObject* watched, QEvent* event) {
    if (watched == buddy && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            stepBy(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
