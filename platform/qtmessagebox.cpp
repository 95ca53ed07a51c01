#include "platform/qtmessagebox.h"

#include <QApplication>
#include <QMessageBox>

namespace {

QMessageBox::Icon toQtIcon(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::Question:
            return QMessageBox::Question;
        case MsgIcon::Warning:
            return QMessageBox::Warning;
        case MsgIcon::Information:
            return QMessageBox::Information;
        case MsgIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

MsgResult QtMessageBox::show(const QString& text, const QString& title, MsgButtons buttons,
                             MsgIcon icon) {
    const QMessageBox::StandardButtons standard =
        buttons == MsgButtons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel
                                        : QMessageBox::StandardButtons(QMessageBox::Ok);
    // Owned by the active window, so that it never opens behind a window that stays on
    // top (the new-site dialog, the ticker).
    QMessageBox box(toQtIcon(icon), title, text, standard, QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(buttons == MsgButtons::OkCancel ? QMessageBox::Cancel : QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok ? MsgResult::Ok : MsgResult::Cancel;
}
