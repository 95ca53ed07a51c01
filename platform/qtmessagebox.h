#pragma once

#include "platform/messagebox.h"

// Modal message boxes over QMessageBox. OK is the default button; with OK and Cancel,
// Esc and the window's close button answer Cancel.
class QtMessageBox final : public MessageBoxSeam {
public:
    MsgResult show(const QString& text, const QString& title, MsgButtons buttons,
                   MsgIcon icon) override;
};
