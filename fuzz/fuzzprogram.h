#pragma once

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

#include "core/appstate.h"
#include "platform/system/clock.h"
#include "platform/desktop/consoleseams.h"
#include "platform/desktop/screeninfo.h"

// Messages are expected for most inputs; they go nowhere.
class QuietMessageBox final : public MessageBoxSeam {
public:
    void ask(const QString&, const QString&, MsgButtons, MsgIcon, Answered answered) override {
        if (answered) {
            answered(MsgResult::Ok);
        }
    }
};

// A program directory in a temporary folder with an AppState over quiet seams, made once
// per fuzzing process and reused by every input.
class FuzzProgram {
public:
    FuzzProgram() {
        ProgramPaths paths;
        paths.programDir = dir.path();
        paths.shareDir = dir.path();
        paths.exeBaseName = QStringLiteral("Quorvane3");
        appState =
            std::make_unique<AppState>(paths, PlatformSeams{clock, messageBox, browser, screen});
    }
    AppState& state() { return *appState; }
    // Writes the input as a file of the program directory and returns its path.
    QString write(const QString& name, const uint8_t* data, size_t size) {
        const QString path = dir.filePath(name);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            file.write(reinterpret_cast<const char*>(data), qint64(size));
        }
        return path;
    }

private:
    QTemporaryDir dir;
    SystemClock clock;
    QuietMessageBox messageBox;
    NoBrowser browser;
    FixedScreen screen{1024, 768};
    std::unique_ptr<AppState> appState;
};
