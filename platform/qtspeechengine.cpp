#include <QCoreApplication>
#include <QLocale>
#include <QTextToSpeech>
#include <QThread>
#include <functional>

#include "platform/speechengine.h"

namespace {

// Lives on the speech thread, where Qt's engine is made and driven: connecting to the
// speech server may wait for it to start.
class SpeechVoice final : public QObject {
public:
    using Finished = std::function<void(quint64)>;
    using Failed = std::function<void(const QString&)>;

    SpeechVoice(Finished finishedReport, Failed failedReport)
        : finished(std::move(finishedReport)), failed(std::move(failedReport)) {}

    void say(quint64 id, const QString& text) {
        if (!ready()) {
            finished(id);
            return;
        }
        current = id;
        // The end of what this cuts short is reported as Ready before this one begins.
        awaitingStart = true;
        tts->say(text);
    }

    void stop() {
        current = 0;
        if (tts != nullptr) {
            tts->stop(QTextToSpeech::BoundaryHint::Immediate);
        }
    }

private:
    bool ready() {
        if (tts == nullptr) {
            // The desktop's default engine: speech-dispatcher on Linux.
            tts = new QTextToSpeech(this);
            if (tts->state() != QTextToSpeech::Error) {
                for (const QLocale& locale : tts->availableLocales()) {
                    if (locale.language() == QLocale::Japanese) {
                        tts->setLocale(locale);
                        break;
                    }
                }
            }
            connect(tts, &QTextToSpeech::stateChanged, this,
                    [this](QTextToSpeech::State state) { stateChanged(state); });
        }
        if (tts->state() == QTextToSpeech::Error) {
            failed(tts->errorString());
            return false;
        }
        return true;
    }

    void stateChanged(QTextToSpeech::State state) {
        if (state == QTextToSpeech::Speaking) {
            awaitingStart = false;
        } else if (state == QTextToSpeech::Error) {
            failed(tts->errorString());
            endCurrent();
        } else if (state == QTextToSpeech::Ready && !awaitingStart) {
            endCurrent();
        }
    }

    void endCurrent() {
        if (current != 0) {
            const quint64 id = current;
            current = 0;
            finished(id);
        }
    }

    Finished finished;
    Failed failed;
    QTextToSpeech* tts = nullptr;
    quint64 current = 0;
    bool awaitingStart = false;
};

// Speaks through Qt's text-to-speech on a thread of its own, so that neither starting the
// speech server nor talking to it ever holds up the user-interface thread.
class QtSpeechEngine final : public SpeechEngine {
public:
    QtSpeechEngine() {
        if (QTextToSpeech::availableEngines().isEmpty()) {
            reason = QCoreApplication::translate(
                "SpeechEngine",
                "読み上げエンジンが見つかりません。speech-dispatcher と "
                "qt6-speech-speechd-plugin をインストールしてください。");
        }
    }

    ~QtSpeechEngine() override {
        if (thread == nullptr) {
            return;
        }
        SpeechVoice* v = voice;
        QMetaObject::invokeMethod(
            v,
            [v] {
                delete v;
                QThread::currentThread()->quit();
            },
            Qt::QueuedConnection);
        // A speech server that never answers must not keep the program from ending.
        if (!thread->wait(2000)) {
            // Left to the end of the process, with the object its reports go to.
            static_cast<void>(thread.release());
            static_cast<void>(home.release());
        }
    }

    [[nodiscard]] QString unavailableReason() const override { return reason; }

    void say(const QString& text) override {
        if (!reason.isEmpty()) {
            return;
        }
        start();
        const quint64 id = ++lastId;
        SpeechVoice* v = voice;
        QMetaObject::invokeMethod(
            v, [v, id, text] { v->say(id, text); }, Qt::QueuedConnection);
    }

    void stop() override {
        ++lastId;
        if (voice != nullptr) {
            SpeechVoice* v = voice;
            QMetaObject::invokeMethod(
                v, [v] { v->stop(); }, Qt::QueuedConnection);
        }
    }

private:
    void start() {
        if (thread != nullptr) {
            return;
        }
        QObject* context = home.get();
        voice = new SpeechVoice(
            [this, context](quint64 id) {
                QMetaObject::invokeMethod(
                    context,
                    [this, id] {
                        if (id == lastId) {
                            reportFinished();
                        }
                    },
                    Qt::QueuedConnection);
            },
            [this, context](const QString& why) {
                QMetaObject::invokeMethod(
                    context,
                    [this, why] {
                        reason = QCoreApplication::translate("SpeechEngine",
                                                             "読み上げエンジンを使えません（%1）。")
                                     .arg(why);
                    },
                    Qt::QueuedConnection);
            });
        thread = std::make_unique<QThread>();
        thread->setObjectName(QStringLiteral("speech"));
        voice->moveToThread(thread.get());
        thread->start();
    }

    QString reason;
    // Where the speech thread's reports are delivered: the thread that made the engine.
    std::unique_ptr<QObject> home = std::make_unique<QObject>();
    std::unique_ptr<QThread> thread;
    SpeechVoice* voice = nullptr;
    // The utterance whose end counts; stop() and every new say() make the earlier ones stale.
    quint64 lastId = 0;
};

}  // namespace

std::unique_ptr<SpeechEngine> makeSpeechEngine() {
    return std::make_unique<QtSpeechEngine>();
}
