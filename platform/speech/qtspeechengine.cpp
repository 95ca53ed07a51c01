#include <QCoreApplication>
#include <QLocale>
#include <QTextToSpeech>
#include <memory>

#include "platform/speech/speechengine.h"
#include "platform/speech/threadedspeech.h"

namespace {

// speech-dispatcher through Qt's text-to-speech, on the speech thread.
class QtSpeechBackend final : public SpeechBackend {
public:
    QString open(Reports r) override {
        reports = std::move(r);
        // The desktop's default engine: speech-dispatcher on Linux. Without a sound device
        // to play on, speech-dispatcher loads no output module and refuses to start.
        tts = std::make_unique<QTextToSpeech>();
        if (tts->state() == QTextToSpeech::Error) {
            return QCoreApplication::translate(
                       "SpeechEngine",
                       "speech-dispatcher に接続できないため、読み上げても何も聞こえません"
                       "（%1）。音声の出力先がないと speech-dispatcher は起動しません。")
                .arg(tts->errorString());
        }
        // speech-dispatcher lists the voices of its output modules: none, nothing is heard.
        const QList<QLocale> locales = tts->availableLocales();
        if (locales.isEmpty()) {
            return QCoreApplication::translate(
                "SpeechEngine",
                "speech-dispatcher に声を出せる出力モジュールがないため、読み上げても何も"
                "聞こえません。espeak-ng などの音声合成をインストールしてください。");
        }
        for (const QLocale& locale : locales) {
            if (locale.language() == QLocale::Japanese) {
                tts->setLocale(locale);
                break;
            }
        }
        QObject::connect(tts.get(), &QTextToSpeech::stateChanged, tts.get(),
                         [this](QTextToSpeech::State state) { stateChanged(state); });
        return {};
    }

    void say(const QString& text) override {
        // The end of what this cuts short is reported as Ready before this one begins.
        awaitingStart = true;
        tts->say(text);
    }

    void stop() override { tts->stop(QTextToSpeech::BoundaryHint::Immediate); }

private:
    void stateChanged(QTextToSpeech::State state) {
        if (state == QTextToSpeech::Speaking) {
            awaitingStart = false;
        } else if (state == QTextToSpeech::Error) {
            reports.broken(
                QCoreApplication::translate("SpeechEngine", "読み上げが途切れました（%1）。")
                    .arg(tts->errorString()));
        } else if (state == QTextToSpeech::Ready && !awaitingStart) {
            reports.finished();
        }
    }

    Reports reports;
    std::unique_ptr<QTextToSpeech> tts;
    bool awaitingStart = false;
};

}  // namespace

std::unique_ptr<SpeechEngine> makeSpeechEngine() {
    if (QTextToSpeech::availableEngines().isEmpty()) {
        return std::make_unique<NoSpeechEngine>(
            QCoreApplication::translate("SpeechEngine",
                                        "読み上げエンジンが見つかりません。speech-dispatcher と "
                                        "qt6-speech-speechd-plugin をインストールしてください。"));
    }
    auto engine =
        std::make_unique<ThreadedSpeechEngine>([] { return std::make_unique<QtSpeechBackend>(); });
    engine->probe();
    return engine;
}
