#include "ui/oncelatermessage.h"

#include <QObject>

OnceLaterMessageBox::OnceLaterMessageBox(MessageBoxSeam& targetBox, QObject& owner)
    : target(targetBox), context(owner) {}

void OnceLaterMessageBox::ask(const QString& text, const QString& title, MsgButtons buttons,
                              MsgIcon icon, Answered answered) {
    if (!shown) {
        shown = true;
        QMetaObject::invokeMethod(
            &context,
            [this, text, title, buttons, icon] { target.show(text, title, buttons, icon); },
            Qt::QueuedConnection);
    }
    if (answered) {
        answered(MsgResult::Ok);
    }
}
