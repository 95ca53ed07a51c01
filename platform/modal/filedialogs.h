#pragma once

#include <QString>
#include <functional>

class QWidget;

// The open and save file dialogs. Each returns at once and later calls chosen with the chosen
// path, or with the empty text when the user cancels. filter is a Qt name filter
// ("Text (*.txt);;All (*)"); the dialogs show each filter's name alone, without the patterns
// after it.
class FileDialogs {
public:
    using Chosen = std::function<void(const QString&)>;

    virtual ~FileDialogs() = default;
    virtual void openFileName(QWidget* parent, const QString& filter, Chosen chosen) = 0;
    virtual void saveFileName(QWidget* parent, const QString& filter, Chosen chosen) = 0;
};
