#pragma once

#include "platform/filedialogs.h"

// The file dialogs over QFileDialog (modal to their parent window).
class QtFileDialogs final : public FileDialogs {
public:
    [[nodiscard]] QString openFileName(QWidget* parent, const QString& filter) override;
    [[nodiscard]] QString saveFileName(QWidget* parent, const QString& filter) override;
};
