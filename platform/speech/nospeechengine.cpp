#include <QCoreApplication>

#include "platform/speech/speechengine.h"

std::unique_ptr<SpeechEngine> makeSpeechEngine() {
    return std::make_unique<NoSpeechEngine>(QCoreApplication::translate(
        "SpeechEngine", "このプログラムは読み上げの機能なしで作られています。"));
}
