#pragma once

#include <QString>

// Where the program keeps its files.
struct ProgramPaths {
    // config.ini, rsslist.opml and temporary/ live here.
    QString programDir;
    // Directory of the executable; default.xml and the qvr3/ pages are read from here.
    QString exeDir;
    // File name of the executable without extension: message-box titles, the config.ini
    // section, the ticker's first caption.
    QString exeBaseName;
};

// The executable's directory, or the per-user data directory when that one is not
// writable (an installed copy). Needs a QCoreApplication.
[[nodiscard]] ProgramPaths resolveProgramPaths();

// dir + "/" + name, without doubling a separator.
[[nodiscard]] QString joinPath(const QString& dir, const QString& name);
