#include "ticker/tickerspeech.h"

#include <QCoreApplication>

#include "core/appstate.h"
#include "platform/speech/speechengine.h"

TickerSpeech::TickerSpeech(AppState& appState) : state(appState) {}

TickerSpeech::~TickerSpeech() {
    if (listenedTo == &state.speech()) {
        listenedTo->onFinished({});
    }
}

QString TickerSpeech::spokenText(const QString& siteTitle, const QString& title) {
    if (siteTitle.isEmpty()) {
        return title;
    }
    return QCoreApplication::translate("TickerSpeech", "%1。%2").arg(siteTitle, title);
}

void TickerSpeech::headline(const QString& siteTitle, const QString& title, bool atOnce) {
    const QString text = spokenText(siteTitle, title);
    if (text.trimmed().isEmpty()) {
        return;
    }
    if (speaking && !atOnce) {
        waiting = text;
        return;
    }
    waiting.reset();
    say(text);
}

void TickerSpeech::stop() {
    waiting.reset();
    if (speaking) {
        speaking = false;
        state.speech().stop();
    }
}

void TickerSpeech::say(const QString& text) {
    SpeechEngine& engine = state.speech();
    if (listenedTo != &engine) {
        listenedTo = &engine;
        engine.onFinished([this] { finished(); });
    }
    speaking = true;
    engine.say(text);
}

void TickerSpeech::finished() {
    speaking = false;
    if (waiting) {
        const QString text = *waiting;
        waiting.reset();
        say(text);
    }
}
