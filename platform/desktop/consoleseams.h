#pragma once

#include <QString>
#include <cstdio>

#include "platform/desktop/browser.h"
#include "platform/modal/messagebox.h"

// Seams for programs without a user to ask: the command-line probe and the screenshot
// tools. Messages go to stderr; questions get a fixed answer.
class ConsoleMessageBox final : public MessageBoxSeam {
public:
    explicit ConsoleMessageBox(MsgResult answerToQuestions = MsgResult::Cancel)
        : questionAnswer(answerToQuestions) {}
    void ask(const QString& text, const QString& title, MsgButtons buttons, MsgIcon,
             Answered answered) override {
        std::fprintf(stderr, "%s: %s\n", qUtf8Printable(title), qUtf8Printable(text));
        if (answered) {
            answered(buttons == MsgButtons::Ok ? MsgResult::Ok : questionAnswer);
        }
    }

private:
    MsgResult questionAnswer;
};

// Opens nothing.
class NoBrowser final : public Browser {
public:
    void openUrl(const QString&) override {}
};
