#include "platform/qtfiledialogs.h"

#include <QFileDialog>

namespace {

// A filter's name is shown without the pattern list the toolkit would append to it: the
// names carry their patterns already ("Text(*.txt)").
constexpr QFileDialog::Options kOptions = QFileDialog::HideNameFilterDetails;

}  // namespace

QString QtFileDialogs::openFileName(QWidget* parent, const QString& filter) {
    return QFileDialog::getOpenFileName(parent, QString(), QString(), filter, nullptr, kOptions);
}

QString QtFileDialogs::saveFileName(QWidget* parent, const QString& filter) {
    // No default suffix: the caller decides what a name without an extension becomes.
    return QFileDialog::getSaveFileName(parent, QString(), QString(), filter, nullptr, kOptions);
}
