#include "platform/atomicfile.h"

#include <QSaveFile>

bool writeFileAtomically(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    // QSaveFile::commit() ignores a failure of its last flush (a full disk, a file size
    // limit) and would put a cut file in place: flush first, and give up on failure.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
