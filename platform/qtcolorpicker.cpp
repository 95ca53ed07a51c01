#include "platform/qtcolorpicker.h"

#include <QColorDialog>

QColor QtColorPicker::chooseColor(const QColor& start, QWidget* parent) {
    const QColor chosen = QColorDialog::getColor(start, parent);
    return chosen.isValid() ? chosen : start;
}
