#pragma once

#include "platform/colorpicker.h"

// ColorPicker over QColorDialog, modal to the window that asks.
class QtColorPicker final : public ColorPicker {
public:
    [[nodiscard]] QColor chooseColor(const QColor& start, QWidget* parent) override;
};
