#include "platform/files/filewatcher.h"

#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>

QtFileWatcher::QtFileWatcher(int settleMs, QObject* parent) : QObject(parent) {
    settle.setSingleShot(true);
    settle.setInterval(settleMs);
    connect(&settle, &QTimer::timeout, this, [this] { settled(); });
    connect(&watcher, &QFileSystemWatcher::fileChanged, &settle, qOverload<>(&QTimer::start));
    connect(&watcher, &QFileSystemWatcher::directoryChanged, &settle, qOverload<>(&QTimer::start));
}

void QtFileWatcher::watch(const QString& path, std::function<void()> changed) {
    if (!watcher.files().isEmpty()) {
        watcher.removePaths(watcher.files());
    }
    if (!watcher.directories().isEmpty()) {
        watcher.removePaths(watcher.directories());
    }
    settle.stop();
    filePath = path;
    onChange = std::move(changed);
    reported = stampOf();
    const QString folder = QFileInfo(path).absolutePath();
    if (QFileInfo(folder).isDir()) {
        watcher.addPath(folder);
    }
    rearm();
}

QtFileWatcher::Stamp QtFileWatcher::stampOf() const {
    Stamp stamp;
    struct stat info {};
    if (filePath.isEmpty() || ::stat(QFile::encodeName(filePath).constData(), &info) != 0) {
        return stamp;
    }
    stamp.exists = true;
    stamp.device = quint64(info.st_dev);
    stamp.inode = quint64(info.st_ino);
    stamp.size = qint64(info.st_size);
    stamp.modifiedNs = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    stamp.statusChangedNs = qint64(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
    return stamp;
}

void QtFileWatcher::rearm() {
    if (!filePath.isEmpty() && QFileInfo::exists(filePath) && !watcher.files().contains(filePath)) {
        watcher.addPath(filePath);
    }
}

void QtFileWatcher::settled() {
    rearm();
    const Stamp now = stampOf();
    if (now == reported) {
        return;
    }
    reported = now;
    if (onChange) {
        onChange();
    }
}
