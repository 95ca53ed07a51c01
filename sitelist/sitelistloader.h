#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <mutex>
#include <optional>

#include "platform/system/workerpool.h"
#include "sitelist/opmlreader.h"

// Reads site lists on a worker, so that loading a large list never freezes the window. The
// result comes back on this object's thread, through a mutex-guarded slot that a posted
// event only announces. A later request supersedes one still being read: only the latest
// result is handed back.
class SiteListLoader : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(const QString& path, OpmlList&& list)>;

    explicit SiteListLoader(QObject* parent = nullptr);
    // Waits for the worker; a result not yet handed back is dropped.
    ~SiteListLoader() override;

    // Reads the file at path (at most maxBytes) and calls done with what was read.
    void read(const QString& path, qint64 maxBytes, Done done);
    // True from read() until its done has been called.
    [[nodiscard]] bool isReading() const { return bool(whenDone); }

protected:
    void customEvent(QEvent* event) override;

private:
    struct Read {
        quint64 request = 0;
        QString path;
        OpmlList list;
    };

    quint64 generation = 0;
    Done whenDone;
    std::mutex mutex;
    std::optional<Read> finished;
    // Declared last, so it ends first.
    WorkerPool worker{1};
};
