#include "platform/qtmessagebox.h"

#include <QApplication>
#include <QAbstractButton>
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

void QtMessageBox::ask(const QString& text, const QString& title, MsgButtons buttons, MsgIcon icon,
                       Answered answered) {
    const QMessageBox::StandardButtons standard =
        buttons == MsgButtons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel
                                        : QMessageBox::StandardButtons(QMessageBox::Ok);
    // Owned by the active window, so that it never opens behind a window that stays on
    // top (the new-site dialog, the ticker).
    auto* box =
        new QMessageBox(toQtIcon(icon), title, text, standard, QApplication::activeWindow());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    box->setDefaultButton(QMessageBox::Ok);
    box->setEscapeButton(buttons == MsgButtons::OkCancel ? QMessageBox::Cancel : QMessageBox::Ok);
    if (answered) {
        // Esc and the close button click the escape button, so every answer comes this way.
        QObject::connect(box, &QMessageBox::buttonClicked, box,
                         [box, answered = std::move(answered)](QAbstractButton* button) {
                             answered(box->standardButton(button) == QMessageBox::Ok
                                          ? MsgResult::Ok
                                          : MsgResult::Cancel);
                         });
    }
    box->show();
}
