#pragma once

#include <QColor>
#include <functional>

class QWidget;

// The platform's colour dialog. Tests answer it.
class ColorPicker {
public:
    using Chosen = std::function<void(const QColor&)>;

    virtual ~ColorPicker() = default;
    // Lets the user choose a colour, starting from start; gives the chosen colour, or start
    // when the user cancels.
    [[nodiscard]] virtual QColor chooseColor(const QColor& start, QWidget* parent) = 0;
    // The same without waiting: returns at once and later calls chosen once with the chosen
    // colour, or with start when the user cancels. A picker that has no dialog of its own
    // answers at once.
    virtual void pickColor(const QColor& start, QWidget* parent, Chosen chosen) {
        chosen(chooseColor(start, parent));
    }
};
