#pragma once

#include <QString>
#include <optional>

class SpeechEngine;
struct AppState;

// What the ticker reads aloud, and when: each headline as it comes on display, its site's
// title first, through the state's speech engine. A headline that comes while another is
// being read waits for it; only the newest waits, since the ticker has moved past the others.
// A headline the user stepped to (<< and >>) is read at once, cutting short what was being
// read.
class TickerSpeech {
public:
    explicit TickerSpeech(AppState& state);
    ~TickerSpeech();
    TickerSpeech(const TickerSpeech&) = delete;
    TickerSpeech& operator=(const TickerSpeech&) = delete;

    void headline(const QString& siteTitle, const QString& title, bool atOnce);
    // Stops reading and forgets what was waiting (the pause, the close).
    void stop();

    // The text read for a headline.
    [[nodiscard]] static QString spokenText(const QString& siteTitle, const QString& title);

private:
    void say(const QString& text);
    void finished();

    AppState& state;
    // The engine whose reports come here (the state's, when it last said something).
    SpeechEngine* listenedTo = nullptr;
    bool speaking = false;
    std::optional<QString> waiting;
};
