#pragma once

#include <QString>

enum class MsgButtons { Ok, OkCancel };
// Question for confirmations, Warning (the exclamation mark) for failures.
enum class MsgIcon { None, Question, Warning, Information };
enum class MsgResult { Ok, Cancel };

// Message boxes. The title is always the executable's base name; callers pass it.
class MessageBoxSeam {
public:
    virtual ~MessageBoxSeam() = default;
    virtual MsgResult show(const QString& text, const QString& title, MsgButtons buttons,
                           MsgIcon icon) = 0;
};
