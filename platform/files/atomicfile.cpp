#include "platform/files/atomicfile.h"

#include <QSaveFile>

bool writeFileAtomically(const QString& path, const QByteArray& bytes, FileAccess access,
                         QString* error) {
    QSaveFile file(path);
    const auto failed = [&file, error] {
        if (error) {
            *error = file.errorString();
        }
        file.cancelWriting();
        return false;
    };
    if (!file.open(QIODevice::WriteOnly)) {
        return failed();
    }
    // Set on the temporary file, so the name never shows other permissions.
    if (access == FileAccess::OwnerOnly &&
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        return failed();
    }
    // QSaveFile::commit() ignores a failure of its last flush (a full disk, a file size
    // limit) and would put a cut file in place: flush first, and give up on failure.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        return failed();
    }
    if (!file.commit()) {
        if (error) {
            *error = file.errorString();
        }
        return false;
    }
    return true;
}
