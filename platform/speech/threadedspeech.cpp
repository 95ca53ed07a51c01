#include "platform/speech/threadedspeech.h"

#include <QEventLoop>
#include <QSocketNotifier>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <sys/eventfd.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// How long the engine's destructor waits for its thread when shutdown was not asked first.
constexpr int kDestroyWaitMs = 200;
// An utterance may take this long, and this much more per character, before it is overdue.
constexpr int kOverdueBaseMs = 10000;
constexpr int kOverduePerCharacterMs = 250;
constexpr int kOverdueMostMs = 120000;

// Calls one thread hands another: a mutex guards them and an eventfd wakes the receiving
// thread's event loop (through a socket notifier there). Plain enough for a race checker to
// follow, which Qt's own queued calls between threads are not.
template <typename... Args>
class CallQueue {
public:
    using Call = std::function<void(Args...)>;

    CallQueue() : wake(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
    ~CallQueue() {
        if (wake >= 0) {
            ::close(wake);
        }
    }
    CallQueue(const CallQueue&) = delete;
    CallQueue& operator=(const CallQueue&) = delete;

    void push(Call call) {
        {
            const std::lock_guard lock(mutex);
            calls.push_back(std::move(call));
        }
        const quint64 one = 1;
        static_cast<void>(::write(wake, &one, sizeof one));
    }

    // Runs the calls pushed so far, in order (on the receiving thread).
    void drain(Args... args) {
        quint64 count = 0;
        static_cast<void>(::read(wake, &count, sizeof count));
        std::deque<Call> taken;
        {
            const std::lock_guard lock(mutex);
            taken.swap(calls);
        }
        for (const Call& call : taken) {
            call(args...);
        }
    }

    [[nodiscard]] int fd() const { return wake; }

private:
    std::mutex mutex;
    std::deque<Call> calls;
    int wake;
};

}  // namespace

// What the engine and its speech thread share; it lives as long as either holds it, so that
// a thread left behind at the exit still has its queues.
struct SpeechLink {
    CallQueue<SpeechVoice&> toVoice;
    CallQueue<> toHome;
    // Set by the speech thread as it ends.
    std::mutex endMutex;
    std::condition_variable endChanged;
    bool ended = false;
};

// Lives on the speech thread and owns the backend there.
class SpeechVoice final : public QObject {
public:
    using Ended = std::function<void(quint64)>;
    using Found = std::function<void(const QString&)>;

    SpeechVoice(std::shared_ptr<SpeechLink> sharedLink,
                ThreadedSpeechEngine::MakeBackend makeBackend, Ended endedReport, Found foundReport)
        : link(std::move(sharedLink)),
          make(std::move(makeBackend)),
          ended(std::move(endedReport)),
          found(std::move(foundReport)) {}

    // Takes the engine's calls in loop until quit().
    void listen(QEventLoop& eventLoop) {
        loop = &eventLoop;
        auto* calls = new QSocketNotifier(link->toVoice.fd(), QSocketNotifier::Read, this);
        connect(calls, &QSocketNotifier::activated, this, [this] { link->toVoice.drain(*this); });
    }
    void quit() { loop->quit(); }

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
            link->toVoice.push([](SpeechVoice& v) { v.retired.clear(); });
        }
        found(why);
        endCurrent();
    }

    std::shared_ptr<SpeechLink> link;
    ThreadedSpeechEngine::MakeBackend make;
    Ended ended;
    Found found;
    QEventLoop* loop = nullptr;
    std::unique_ptr<SpeechBackend> backend;
    std::vector<std::unique_ptr<SpeechBackend>> retired;
    // Reports of a backend made before the last count are stale.
    quint64 generations = 0;
    quint64 current = 0;
};

ThreadedSpeechEngine::ThreadedSpeechEngine(MakeBackend makeBackend, qint64 firstRetry)
    : make(std::move(makeBackend)),
      link(std::make_shared<SpeechLink>()),
      homeCalls(std::make_unique<QSocketNotifier>(link->toHome.fd(), QSocketNotifier::Read)),
      firstRetryMs(firstRetry),
      retryMs(firstRetry) {
    // The calls capture this engine: they run only while it lives, as the notifier dies with it.
    QObject::connect(homeCalls.get(), &QSocketNotifier::activated, homeCalls.get(),
                     [this] { link->toHome.drain(); });
    tmrOverdue.setSingleShot(true);
    QObject::connect(&tmrOverdue, &QTimer::timeout, &tmrOverdue, [this] { tmrOverdue_Timer(); });
}

ThreadedSpeechEngine::~ThreadedSpeechEngine() {
    if (!shutdown(kDestroyWaitMs)) {
        // Blocked in a call to a server that does not answer: left to the end of the process,
        // with the queues it shares.
        thread.detach();
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
        link->toHome.push([this, id] { utteranceEnded(id); });
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
        // The voice and its connection end on their thread, as it ends.
        post([](SpeechVoice& v) { v.quit(); });
        ending = true;
        tmrOverdue.stop();
    }
    if (!thread.joinable()) {
        return true;
    }
    {
        std::unique_lock lock(link->endMutex);
        if (!link->endChanged.wait_for(lock, std::chrono::milliseconds(std::max(0, waitMs)),
                                       [this] { return link->ended; })) {
            return false;
        }
    }
    thread.join();
    return true;
}

void ThreadedSpeechEngine::start() {
    if (thread.joinable() || ending) {
        return;
    }
    // The reports run on this thread, through the engine's notifier.
    const std::shared_ptr<SpeechLink> shared = link;
    SpeechVoice::Ended ended = [this, shared](quint64 id) {
        shared->toHome.push([this, id] { utteranceEnded(id); });
    };
    SpeechVoice::Found found = [this, shared](const QString& why) {
        shared->toHome.push([this, why] { availabilityFound(why); });
    };
    thread = std::thread(
        [shared, makeBackend = make, ended = std::move(ended), found = std::move(found)] {
            {
                QEventLoop loop;
                SpeechVoice voice(shared, makeBackend, ended, found);
                voice.listen(loop);
                loop.exec();
            }
            const std::lock_guard lock(shared->endMutex);
            shared->ended = true;
            shared->endChanged.notify_all();
        });
}

void ThreadedSpeechEngine::post(std::function<void(SpeechVoice&)> call) const {
    if (thread.joinable() && !ending) {
        link->toVoice.push(std::move(call));
    }
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
