#pragma once

#include "platform/modal/messagebox.h"

class QObject;

// Passes an OK-only message on once per run, after the handler that raised it has returned,
// and answers OK at once: for a refusal that the same setting would raise at every showing
// (the ticker's opacity read from config.ini), shown once and never as a part of setting up.
class OnceLaterMessageBox final : public MessageBoxSeam {
public:
    // target and context outlive this; the message is shown from context's event loop turn.
    OnceLaterMessageBox(MessageBoxSeam& target, QObject& context);
    void ask(const QString& text, const QString& title, MsgButtons buttons, MsgIcon icon,
             Answered answered) override;

private:
    MessageBoxSeam& target;
    QObject& context;
    bool shown = false;
};
