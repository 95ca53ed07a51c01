#pragma once

#include "platform/modal/filedialogs.h"

// The file dialogs over QFileDialog, modal to the whole program while they are open. Each
// opens above every window of the program, centred over parent while it is shown.
class QtFileDialogs final : public FileDialogs {
public:
    void openFileName(QWidget* parent, const QString& filter, Chosen chosen) override;
    void saveFileName(QWidget* parent, const QString& filter, Chosen chosen) override;
};
