#include "platform/qtfiledialogs.h"

#include <QFileDialog>

QString QtFileDialogs::openFileName(QWidget* parent, const QString& filter) {
    return QFileDialog::getOpenFileName(parent, QString(), QString(), filter);
}

QString QtFileDialogs::saveFileName(QWidget* parent, const QString& filter) {
    // No default suffix: the caller decides what a name without an extension becomes.
    return QFileDialog::getSaveFileName(parent, QString(), QString(), filter);
}
