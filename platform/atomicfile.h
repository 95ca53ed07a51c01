#pragma once

#include <QByteArray>
#include <QString>

// Writes bytes as the whole content of path through a temporary file and a rename, so that an
// interrupted or failed write never leaves a partial file: the old content stays until the
// new one is complete. False when nothing was replaced.
[[nodiscard]] bool writeFileAtomically(const QString& path, const QByteArray& bytes);
