#pragma once

#include "platform/messagebox.h"

// Message boxes over QMessageBox, modal to the whole program while they are open. OK is the
// default button; with OK and Cancel, Esc and the window's close button answer Cancel.
class QtMessageBox final : public MessageBoxSeam {
public:
    void ask(const QString& text, const QString& title, MsgButtons buttons, MsgIcon icon,
             Answered answered) override;
};
