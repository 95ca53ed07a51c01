#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

// Tells when one file may have changed on disk: written in place, replaced by a rename (as
// many editors save), created or removed. Calls come on the thread the watcher lives in.
class FileWatcher {
public:
    virtual ~FileWatcher() = default;
    // Starts watching path; changed runs after each change that was noticed. A later call
    // watches another path instead.
    virtual void watch(const QString& path, std::function<void()> changed) = 0;
};

// The file system's notifications (QFileSystemWatcher). It watches the file and its folder:
// a notification on the file ends when the file is renamed over or removed, and the folder
// tells when one comes back. A burst of notifications (an editor's save in several steps)
// is reported once, settleMs after the last of them, and only when the file's identity,
// size or times differ from what was reported before.
class QtFileWatcher final : public QObject, public FileWatcher {
public:
    explicit QtFileWatcher(int settleMs = 200, QObject* parent = nullptr);

    void watch(const QString& path, std::function<void()> changed) override;

private:
    // What stat() says of the file; equal stamps mean nothing was noticed.
    struct Stamp {
        bool exists = false;
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = 0;
        qint64 modifiedNs = 0;
        qint64 statusChangedNs = 0;
        bool operator==(const Stamp&) const = default;
    };
    [[nodiscard]] Stamp stampOf() const;
    // The file's notification ends with the file it was set on; set it again on the file
    // now at the path.
    void rearm();
    void settled();

    QFileSystemWatcher watcher;
    QTimer settle;
    QString filePath;
    std::function<void()> onChange;
    Stamp reported;
};
