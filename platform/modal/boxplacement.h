#pragma once

class QDialog;
class QWidget;

// Where the program's message boxes and file dialogs open. They are modal to the whole
// program, so one the user cannot see would take every key unseen: each opens above every
// window of the program (a window that stays above ordinary windows, such as the ticker or
// the new-site dialog, makes the box stay above them too) and centred over its owner.

// The window a box belongs to: home (the main window) while it is shown, else the window the
// user works in, else none (the box is centred on the screen).
[[nodiscard]] QWidget* boxOwner(QWidget* home);

// Stacks a box that is about to be shown above the program's windows, as the window manager
// stacks the program's dialogs that have no parent. Call before show().
void stackAboveProgramWindows(QDialog& box);
