#pragma once

#include <QString>
#include <functional>

enum class MsgButtons { Ok, OkCancel };
// Question for confirmations, Warning (the exclamation mark) for failures.
enum class MsgIcon { None, Question, Warning, Information };
enum class MsgResult { Ok, Cancel };

// Message boxes. The title is always the executable's base name; callers pass it. A box
// never waits in an event loop of its own: ask returns at once, the program runs on (fetches
// end, the ticker moves), and answered is called with the user's answer when the box closes.
// Whoever goes on from the answer checks that what it asked about is still there.
class MessageBoxSeam {
public:
    using Answered = std::function<void(MsgResult)>;

    virtual ~MessageBoxSeam() = default;
    virtual void ask(const QString& text, const QString& title, MsgButtons buttons, MsgIcon icon,
                     Answered answered) = 0;
    // A box whose answer nothing waits for.
    void show(const QString& text, const QString& title, MsgButtons buttons, MsgIcon icon) {
        ask(text, title, buttons, icon, {});
    }
};
