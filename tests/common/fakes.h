#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>

#include "platform/desktop/browser.h"
#include "platform/system/clock.h"
#include "platform/modal/messagebox.h"

// A clock the test sets.
class FakeClock final : public Clock {
public:
    [[nodiscard]] QDateTime now() const override { return current; }
    void set(const QDateTime& t) { current = t; }
    QDateTime current = wallClock(QDate(2006, 3, 16), QTime(12, 0, 0));
};

// A message box that answers as told and records what it showed.
class FakeMessageBox final : public MessageBoxSeam {
public:
    struct Shown {
        QString text;
        QString title;
        MsgButtons buttons;
        MsgIcon icon;
    };
    void ask(const QString& text, const QString& title, MsgButtons buttons, MsgIcon icon,
             Answered answered) override {
        shown.append({text, title, buttons, icon});
        if (whileShown) {
            // What runs while a real box waits for its answer (the program runs on); run once.
            std::function<void()> run = std::move(whileShown);
            whileShown = nullptr;
            run();
        }
        if (holdAnswers) {
            held.append(std::move(answered));
            return;
        }
        const MsgResult answer = answers.isEmpty() ? defaultAnswer : answers.takeFirst();
        if (answered) {
            answered(answer);
        }
    }
    // Answers the oldest box still open (holdAnswers), as the user would.
    void answerHeld(MsgResult answer) {
        if (held.isEmpty()) {
            qWarning("no message box is open");
            return;
        }
        const Answered answered = held.takeFirst();
        if (answered) {
            answered(answer);
        }
    }
    QList<Shown> shown;
    // Answers given in order; then defaultAnswer.
    QList<MsgResult> answers;
    MsgResult defaultAnswer = MsgResult::Ok;
    // Called once while the next box is shown, as timers would fire in its event loop.
    std::function<void()> whileShown;
    // Boxes stay open until answerHeld, with the program running on meanwhile.
    bool holdAnswers = false;
    QList<Answered> held;
};

// A browser that records the URLs it was asked to open.
class FakeBrowser final : public Browser {
public:
    void openUrl(const QString& url) override { opened.append(url); }
    QStringList opened;
};
