#include "platform/modal/qtfiledialogs.h"

#include <QFileDialog>
#include <memory>

#include "platform/modal/boxplacement.h"

namespace {

// Opens a dialog without waiting for it; it deletes itself when closed, and the answer goes
// to chosen once, whichever way the dialog ends.
void openDialog(QWidget* parent, const QString& filter, QFileDialog::AcceptMode mode,
                FileDialogs::Chosen chosen) {
    // Over the caller's window while it is shown, above every window of the program.
    auto* dialog = new QFileDialog(boxOwner(parent));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::ApplicationModal);
    // A filter's name is shown without the pattern list the toolkit would append to it: the
    // names carry their patterns already ("Text(*.txt)").
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->setNameFilter(filter);
    dialog->setAcceptMode(mode);
    // No default suffix: the caller decides what a name without an extension becomes.
    dialog->setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                        : QFileDialog::AnyFile);
    auto answer = std::make_shared<FileDialogs::Chosen>(std::move(chosen));
    QObject::connect(dialog, &QDialog::finished, dialog, [dialog, answer](int result) {
        if (!*answer) {
            return;
        }
        const FileDialogs::Chosen call = std::exchange(*answer, nullptr);
        const QStringList files = dialog->selectedFiles();
        call(result == QDialog::Accepted && !files.isEmpty() ? files.first() : QString());
    });
    stackAboveProgramWindows(*dialog);
    dialog->show();
}

}  // namespace

void QtFileDialogs::openFileName(QWidget* parent, const QString& filter, Chosen chosen) {
    openDialog(parent, filter, QFileDialog::AcceptOpen, std::move(chosen));
}

void QtFileDialogs::saveFileName(QWidget* parent, const QString& filter, Chosen chosen) {
    openDialog(parent, filter, QFileDialog::AcceptSave, std::move(chosen));
}
