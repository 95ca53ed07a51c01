#pragma once

#include <QPointer>

#include "platform/modal/messagebox.h"

class QWidget;

// Message boxes over QMessageBox, modal to the whole program while they are open. OK is the
// default button; with OK and Cancel, Esc and the window's close button answer Cancel. A box
// opens above every window of the program, centred over the main window while it is shown
// (else over the window the user works in), and a line of its text is broken only where it
// would not fit the screen.
class QtMessageBox final : public MessageBoxSeam {
public:
    // The main window; boxes open over it while it is shown.
    void setHomeWindow(QWidget* window) { home = window; }

    void ask(const QString& text, const QString& title, MsgButtons buttons, MsgIcon icon,
             Answered answered) override;

private:
    QPointer<QWidget> home;
};
