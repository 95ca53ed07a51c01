#include <cstdio>

#include <QFileInfo>

#include "app/probecommon.h"
#include "settings/config.h"

// qv3probe settings DIR [NAME] [--save]: the settings as the program would hold them after
// reading DIR/config.ini (section [NAME], default Quorvane3), one "KEY=value" line each, in
// the form the file is written; --save writes them back to DIR/config.ini.
int probeSettings(const QStringList& args) {
    const QString usage = QStringLiteral("usage: qv3probe settings DIR [NAME] [--save]");
    QStringList positional;
    bool save = false;
    for (const QString& arg : args) {
        if (arg == QLatin1String("--save")) {
            save = true;
        } else if (arg.startsWith(QLatin1String("--"))) {
            return printUsage(usage);
        } else {
            positional.append(arg);
        }
    }
    if (positional.isEmpty() || positional.size() > 2) {
        return printUsage(usage);
    }
    if (!QFileInfo(positional[0]).isDir()) {
        std::fprintf(stderr, "settings: not a directory: %s\n", qUtf8Printable(positional[0]));
        return kProbeFailed;
    }
    const QString name = positional.size() > 1 ? positional[1] : QStringLiteral("Quorvane3");
    ProbeEnvironment env(positional[0], name);
    AppState& state = env.state();
    InitDefaults(state);
    LoadSettings(state);
    for (const QString& line : settingsLines(state)) {
        printRecord({line});
    }
    if (save && !SaveSettings(state)) {
        std::fprintf(stderr, "settings: cannot write %s\n",
                     qUtf8Printable(state.programFile(QStringLiteral("config.ini"))));
        return kProbeFailed;
    }
    return kProbeOk;
}
