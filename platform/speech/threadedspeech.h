#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <thread>

#include "platform/speech/speechengine.h"

class QSocketNotifier;

// A connection to a speech server, made, used and destroyed on the speech thread alone. Any
// call may block for as long as the server takes to answer.
class SpeechBackend {
public:
    struct Reports {
        // What was said last has ended.
        std::function<void()> finished;
        // The connection broke (the server died): nothing more is heard through this backend.
        std::function<void(const QString& why)> broken;
    };

    virtual ~SpeechBackend() = default;
    // Connects. Empty when what is said will be heard; otherwise why not, for the user. The
    // reports may come from within any later call, or from the thread's event loop.
    [[nodiscard]] virtual QString open(Reports reports) = 0;
    virtual void say(const QString& text) = 0;
    virtual void stop() = 0;
};

class SpeechVoice;
struct SpeechLink;

// Speaks through a SpeechBackend on a thread of its own, so that neither starting the speech
// server nor a server that hangs ever holds up the caller's thread or the exit. A backend that
// fails or breaks is dropped; a later utterance (or probe) connects anew, so that read-aloud
// comes back with the server. While connections fail, a new one is tried only after a wait
// that doubles with each failure (each try may start a server). An utterance never reported
// finished (the server died without a word, or hangs) counts as finished after
// overdueMs(text), so the caller moves on.
class ThreadedSpeechEngine final : public SpeechEngine {
public:
    using MakeBackend = std::function<std::unique_ptr<SpeechBackend>()>;

    explicit ThreadedSpeechEngine(MakeBackend makeBackend, qint64 firstRetryMs = kFirstRetryMs);
    ~ThreadedSpeechEngine() override;
    ThreadedSpeechEngine(const ThreadedSpeechEngine&) = delete;
    ThreadedSpeechEngine& operator=(const ThreadedSpeechEngine&) = delete;

    // Why nothing would be heard, as the last connection found; empty while it is not known
    // or all is well. While something is wrong and a retry is due, a new connection is tried
    // in the background, so that the answer follows the server.
    [[nodiscard]] QString unavailableReason() const override;
    void say(const QString& text) override;
    void stop() override;
    bool shutdown(int waitMs) override;

    // Connects in the background; unavailableReason tells the outcome once it is known.
    void probe();

    // tmrOverdue's handler: the utterance in progress has taken too long.
    void tmrOverdue_Timer();
    [[nodiscard]] static int overdueMs(const QString& text);
    [[nodiscard]] bool isAwaitingUtterance() const { return tmrOverdue.isActive(); }

    // How long after a connection found something wrong another is tried, at first and at most.
    static constexpr qint64 kFirstRetryMs = 10000;
    static constexpr qint64 kLongestRetryMs = 300000;

private:
    void start();
    void post(std::function<void(SpeechVoice&)> call) const;
    void utteranceEnded(quint64 id);
    void availabilityFound(const QString& why);
    [[nodiscard]] bool mayConnect() const;

    MakeBackend make;
    std::shared_ptr<SpeechLink> link;
    // Runs the calls the speech thread hands this thread.
    std::unique_ptr<QSocketNotifier> homeCalls;
    std::thread thread;
    bool ending = false;
    // The utterance whose end counts; stop() and every new say() make the earlier ones stale.
    quint64 lastId = 0;
    QString reason;
    // Since the last connection that found something wrong; invalid while none did.
    mutable QElapsedTimer sinceProblem;
    const qint64 firstRetryMs;
    qint64 retryMs;
    QTimer tmrOverdue;
};
