#include "platform/modal/qtcolorpicker.h"

#include <QColorDialog>
#include <memory>

#include "platform/modal/boxplacement.h"

QColor QtColorPicker::chooseColor(const QColor& start, QWidget* parent) {
    const QColor chosen = QColorDialog::getColor(start, parent);
    return chosen.isValid() ? chosen : start;
}

void QtColorPicker::pickColor(const QColor& start, QWidget* parent, Chosen chosen) {
    // Window-modal over the caller, so that the colour cannot be asked twice at once; it
    // deletes itself when closed and answers once, whichever way it ends.
    auto* dialog = new QColorDialog(start, boxOwner(parent));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    auto answer = std::make_shared<Chosen>(std::move(chosen));
    QObject::connect(dialog, &QDialog::finished, dialog, [dialog, answer, start](int result) {
        if (!*answer) {
            return;
        }
        const Chosen call = std::exchange(*answer, nullptr);
        const QColor colour = dialog->selectedColor();
        call(result == QDialog::Accepted && colour.isValid() ? colour : start);
    });
    stackAboveProgramWindows(*dialog);
    dialog->show();
}
