#include "platform/threadedspeech.h"

#include <QDeadlineTimer>
#include <QThread>
#include <algorithm>
#include <utility>
#include <vector>

// Where the speech thread's reports go: an object of the engine's thread that outlives an
// engine that had to leave its thread behind at the exit. engine is read and cleared on the
// engine's thread only.
struct SpeechLink : QObject {
    ThreadedSpeechEngine* engine = nullptr;
};

namespace {

// How long the engine's destructor waits for its thread when shutdown was not asked first.
constexpr int kDestroyWaitMs = 200;
// An utterance may take this long, and this much more per character, before it is overdue.
constexpr int kOverdueBaseMs = 10000;
constexpr int kOverduePerCharacterMs = 250;
constexpr int kOverdueMostMs = 120000;

std::shared_ptr<SpeechLink> makeLink(ThreadedSpeechEngine* engine) {
    auto* made = new SpeechLink;
    made->engine = engine;
    // The last owner may be the speech thread: the object dies on its own thread.
    return {made, [](SpeechLink* link) {
                if (QThread::currentThread() == link->thread()) {
                    delete link;
                } else {
                    link->deleteLater();
                }
            }};
}

}  // namespace

// Lives on the speech thread and owns the backend there.
class SpeechVoice final : public QObject {
public:
    using Ended = std::function<void(quint64)>;
    using Found = std::function<void(const QString&)>;

    SpeechVoice(ThreadedSpeechEngine::MakeBackend makeBackend, Ended endedReport, Found foundReport)
        : make(std::move(makeBackend)),
          ended(std::move(endedReport)),
          found(std::move(foundReport)) {}

    // Connects unless connected, and reports what the connection found.
    bool open() {
        if (backend) {
            return true;
        }
        const quint64 generation = ++generations;
        SpeechBackend::Reports reports;
        reports.finished = [this, generation] {
            if (generation == generations) {
                endCurrent();
            }
        };
        reports.broken = [this, generation](const QString& why) {
            if (generation == generations) {
                breakOff(why);
            }
        };
        std::unique_ptr<SpeechBackend> made = make();
        const QString why = made->open(std::move(reports));
        found(why);
        if (!why.isEmpty() || generation != generations) {
            ++generations;
            return false;
        }
        backend = std::move(made);
        return true;
    }

    void say(quint64 id, const QString& text) {
        if (!open()) {
            ended(id);
            return;
        }
        current = id;
        backend->say(text);
    }

    void stop() {
        current = 0;
        if (backend) {
            backend->stop();
        }
    }

    // Forgets the connection; the next utterance makes a new one.
    void drop() {
        current = 0;
        ++generations;
        backend.reset();
    }

private:
    void endCurrent() {
        if (current != 0) {
            ended(std::exchange(current, 0));
        }
    }

    void breakOff(const QString& why) {
        ++generations;
        // Reported from within the backend: it is deleted once its call has returned.
        if (backend) {
            retired.push_back(std::move(backend));
            QMetaObject::invokeMethod(
                this, [this] { retired.clear(); }, Qt::QueuedConnection);
        }
        found(why);
        endCurrent();
    }

    ThreadedSpeechEngine::MakeBackend make;
    Ended ended;
    Found found;
    std::unique_ptr<SpeechBackend> backend;
    std::vector<std::unique_ptr<SpeechBackend>> retired;
    // Reports of a backend made before the last count are stale.
    quint64 generations = 0;
    quint64 current = 0;
};

ThreadedSpeechEngine::ThreadedSpeechEngine(MakeBackend makeBackend, qint64 firstRetry)
    : make(std::move(makeBackend)),
      link(makeLink(this)),
      firstRetryMs(firstRetry),
      retryMs(firstRetry) {
    tmrOverdue.setSingleShot(true);
    QObject::connect(&tmrOverdue, &QTimer::timeout, link.get(), [this] { tmrOverdue_Timer(); });
}

ThreadedSpeechEngine::~ThreadedSpeechEngine() {
    link->engine = nullptr;
    if (!shutdown(kDestroyWaitMs)) {
        // Blocked in a call to a server that does not answer: left to the end of the process.
        static_cast<void>(thread.release());
    }
}

int ThreadedSpeechEngine::overdueMs(const QString& text) {
    return int(std::min<qint64>(kOverdueMostMs,
                                kOverdueBaseMs + kOverduePerCharacterMs * qint64(text.size())));
}

QString ThreadedSpeechEngine::unavailableReason() const {
    if (!reason.isEmpty() && !ending && mayConnect()) {
        // The answer comes for the next question; this one gets what is known.
        sinceProblem.restart();
        post([](SpeechVoice& v) { v.open(); });
    }
    return reason;
}

void ThreadedSpeechEngine::probe() {
    start();
    post([](SpeechVoice& v) { v.open(); });
}

void ThreadedSpeechEngine::say(const QString& text) {
    if (ending) {
        return;
    }
    start();
    const quint64 id = ++lastId;
    if (!mayConnect()) {
        // Known not to be heard: the end is reported as it would be after a failed try.
        tmrOverdue.stop();
        QMetaObject::invokeMethod(
            link.get(),
            [target = link.get(), id] {
                if (target->engine != nullptr) {
                    target->engine->utteranceEnded(id);
                }
            },
            Qt::QueuedConnection);
        return;
    }
    tmrOverdue.start(overdueMs(text));
    post([id, text](SpeechVoice& v) { v.say(id, text); });
}

void ThreadedSpeechEngine::stop() {
    ++lastId;
    tmrOverdue.stop();
    post([](SpeechVoice& v) { v.stop(); });
}

void ThreadedSpeechEngine::tmrOverdue_Timer() {
    tmrOverdue.stop();
    ++lastId;
    // The server hangs, or died without a word: the connection is dropped (once the thread
    // is free again) and the next utterance makes a new one.
    post([](SpeechVoice& v) { v.drop(); });
    reportFinished();
}

bool ThreadedSpeechEngine::shutdown(int waitMs) {
    if (!ending) {
        ending = true;
        tmrOverdue.stop();
        if (SpeechVoice* v = std::exchange(voice, nullptr)) {
            QMetaObject::invokeMethod(
                v,
                [v] {
                    delete v;
                    QThread::currentThread()->quit();
                },
                Qt::QueuedConnection);
        }
    }
    if (!thread) {
        return true;
    }
    if (!thread->wait(QDeadlineTimer(std::max(0, waitMs)))) {
        return false;
    }
    thread.reset();
    return true;
}

void ThreadedSpeechEngine::start() {
    if (thread || ending) {
        return;
    }
    const std::shared_ptr<SpeechLink> home = link;
    voice = new SpeechVoice(
        make,
        [home](quint64 id) {
            QMetaObject::invokeMethod(
                home.get(),
                [target = home.get(), id] {
                    if (target->engine != nullptr) {
                        target->engine->utteranceEnded(id);
                    }
                },
                Qt::QueuedConnection);
        },
        [home](const QString& why) {
            QMetaObject::invokeMethod(
                home.get(),
                [target = home.get(), why] {
                    if (target->engine != nullptr) {
                        target->engine->availabilityFound(why);
                    }
                },
                Qt::QueuedConnection);
        });
    thread = std::make_unique<QThread>();
    thread->setObjectName(QStringLiteral("speech"));
    voice->moveToThread(thread.get());
    thread->start();
}

void ThreadedSpeechEngine::post(std::function<void(SpeechVoice&)> call) const {
    SpeechVoice* v = voice;
    if (v == nullptr) {
        return;
    }
    QMetaObject::invokeMethod(
        v, [v, call = std::move(call)] { call(*v); }, Qt::QueuedConnection);
}

void ThreadedSpeechEngine::utteranceEnded(quint64 id) {
    if (id == lastId) {
        ++lastId;
        tmrOverdue.stop();
        reportFinished();
    }
}

void ThreadedSpeechEngine::availabilityFound(const QString& why) {
    reason = why;
    if (why.isEmpty()) {
        sinceProblem.invalidate();
        retryMs = firstRetryMs;
        return;
    }
    // Each try that finds the trouble again waits longer for the next.
    if (sinceProblem.isValid()) {
        retryMs = std::min(2 * retryMs, kLongestRetryMs);
    }
    sinceProblem.start();
}

bool ThreadedSpeechEngine::mayConnect() const {
    return reason.isEmpty() || !sinceProblem.isValid() || sinceProblem.elapsed() >= retryMs;
}
