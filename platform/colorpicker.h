#pragma once

#include <QColor>

class QWidget;

// The platform's colour dialog. Tests answer it.
class ColorPicker {
public:
    virtual ~ColorPicker() = default;
    // Lets the user choose a colour, starting from start; gives the chosen colour, or start
    // when the user cancels.
    [[nodiscard]] virtual QColor chooseColor(const QColor& start, QWidget* parent) = 0;
};
