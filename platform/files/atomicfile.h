#pragma once

#include <QByteArray>
#include <QString>

// Who may read and write a file the program writes.
enum class FileAccess {
    // As the umask makes new files; a file that exists keeps its permissions.
    Default,
    // The user alone (0600) whatever the umask: the program's own files, which may name
    // private feeds.
    OwnerOnly,
};

// Writes bytes as the whole content of path through a temporary file and a rename, so that an
// interrupted or failed write never leaves a partial file: the old content stays until the
// new one is complete. False when nothing was replaced; error (when given) then says why.
[[nodiscard]] bool writeFileAtomically(const QString& path, const QByteArray& bytes,
                                       FileAccess access = FileAccess::Default,
                                       QString* error = nullptr);
