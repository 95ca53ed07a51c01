#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <utility>

// Speech output: one utterance at a time, spoken without holding up the caller's thread.
class SpeechEngine {
public:
    virtual ~SpeechEngine() = default;

    // Empty when there is an engine to speak with; otherwise why there is none, for the user.
    [[nodiscard]] virtual QString unavailableReason() const = 0;
    // Starts saying text, cutting short whatever was being said.
    virtual void say(const QString& text) = 0;
    // Stops speaking at once; what was cut short is not reported as finished.
    virtual void stop() = 0;
    // Ends the engine's work for the exit: the first call asks it to end, and every call
    // waits for that at most waitMs. False while it has not ended (a speech server that never
    // answers): the process may then end without it. Nothing is said afterwards.
    virtual bool shutdown(int waitMs) {
        static_cast<void>(waitMs);
        return true;
    }

    // Runs on the thread that made the engine whenever an utterance has been said to its end
    // (or could not be said), so that the next one can follow.
    void onFinished(std::function<void()> finished) { finishedHandler = std::move(finished); }

protected:
    void reportFinished() {
        if (finishedHandler) {
            finishedHandler();
        }
    }

private:
    std::function<void()> finishedHandler;
};

// An engine that cannot speak, and says why.
class NoSpeechEngine final : public SpeechEngine {
public:
    explicit NoSpeechEngine(QString why) : reason(std::move(why)) {}
    [[nodiscard]] QString unavailableReason() const override { return reason; }
    void say(const QString&) override {}
    void stop() override {}

private:
    QString reason;
};

// The desktop's speech engine (speech-dispatcher through Qt's text-to-speech), with a
// Japanese voice when one is installed; a NoSpeechEngine when this build or this machine
// has none. It connects in the background at once, so that whether anything will be heard
// is known before the user asks for read-aloud.
[[nodiscard]] std::unique_ptr<SpeechEngine> makeSpeechEngine();
