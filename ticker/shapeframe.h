#pragma once

#include <QColor>
#include <QWidget>

// A rounded frame drawn in one colour around a text button. It takes no mouse input:
// clicks fall through to whatever lies behind it.
class ShapeFrame : public QWidget {
    Q_OBJECT
public:
    explicit ShapeFrame(QWidget* parent);

    void setBorderColor(const QColor& color);
    [[nodiscard]] QColor borderColor() const { return color; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor color{128, 128, 128};
};
