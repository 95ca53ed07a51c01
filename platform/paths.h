#pragma once

#include <QString>

// Where the program keeps its files.
struct ProgramPaths {
    // config.ini, rsslist.opml, temporary/ and the instance lock live here.
    QString programDir;
    // The files shipped with the program and only read: default.xml and the qvr3/ pages.
    QString shareDir;
    // File name of the executable without extension: message-box titles, the config.ini
    // section, the ticker's first caption.
    QString exeBaseName;
};

// The folder under share/ that an installed copy reads its shipped files from.
inline constexpr char kInstalledShareDir[] = "quorvane3";

// Where the files live for an executable in exeDir:
// - installed (exeDir/../share/quorvane3 exists, as "cmake --install" and the package lay
//   it out): shipped files from there, everything written in appDataDir;
// - otherwise, as in the build output: everything beside the executable, or what the
//   program writes in appDataDir when exeDir is not writable.
// An empty appDataDir (no home directory) leaves the written files beside the executable.
[[nodiscard]] ProgramPaths decideProgramPaths(const QString& exeDir, const QString& exeBaseName,
                                              const QString& appDataDir);

// decideProgramPaths for the running executable and the per-user data directory
// (QStandardPaths::AppDataLocation), creating the program directory when it is missing.
// Needs a QCoreApplication whose application name is set.
[[nodiscard]] ProgramPaths resolveProgramPaths();

// dir + "/" + name, without doubling a separator.
[[nodiscard]] QString joinPath(const QString& dir, const QString& name);
