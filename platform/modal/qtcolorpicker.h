#pragma once

#include "platform/modal/colorpicker.h"

// ColorPicker over QColorDialog: chooseColor modal to the window that asks, pickColor
// without waiting.
class QtColorPicker final : public ColorPicker {
public:
    [[nodiscard]] QColor chooseColor(const QColor& start, QWidget* parent) override;
    void pickColor(const QColor& start, QWidget* parent, Chosen chosen) override;
};
