#pragma once

#include <QString>

class QWidget;

// The open and save file dialogs. Each returns the chosen path, or the empty text when the
// user cancels. filter is a Qt name filter ("Text (*.txt);;All (*)"); the dialogs show each
// filter's name alone, without the patterns after it.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    [[nodiscard]] virtual QString openFileName(QWidget* parent, const QString& filter) = 0;
    [[nodiscard]] virtual QString saveFileName(QWidget* parent, const QString& filter) = 0;
};
