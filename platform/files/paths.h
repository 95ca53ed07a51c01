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
    // Whether programDir may be used; anything but Private (a per-user folder another user
    // owns or may write in) means the program must not read or write there.
    enum class Trust { Private, OtherOwner, WritableByOthers };
    Trust programDirTrust = Trust::Private;
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

// The per-user data directory (QStandardPaths::AppDataLocation); empty without a home.
[[nodiscard]] QString perUserDataDir();

// decideProgramPaths for the running executable and the per-user data directory, which is
// made the user's alone (preparePerUserFolder) when the program keeps its files there.
// Needs a QCoreApplication whose application name is set.
[[nodiscard]] ProgramPaths resolveProgramPaths();

// Whether a folder owned by ownerId with the permission bits mode may hold uid's files: it
// must be uid's, and nobody else may create, rename or remove anything in it (a folder
// others may only read is made private by the caller).
[[nodiscard]] ProgramPaths::Trust judgeUserFolder(uint ownerId, uint mode, uint uid);

// Makes dataDir ready for the program's files: a missing one is made (makePrivateFolder); an
// existing one is judged first (judgeUserFolder) and, when it is the user's, made private.
// A folder another user owns or others may write in is left as it is, and the verdict says
// why it must not be used: another user could have planted a site list and rules there,
// and would read what the program writes.
[[nodiscard]] ProgramPaths::Trust preparePerUserFolder(const QString& dataDir, uint uid);

// The user id the program runs as.
[[nodiscard]] uint currentUserId();

// True when dir is a folder that uid owns and that nobody else may enter, read or change.
[[nodiscard]] bool isPrivateFolder(const QString& dir, uint uid);

// Makes dir (and its missing parents) for the current user alone: mode 0700 whatever the
// umask, the parents too (as the XDG base-directory rules ask of ~/.local/share), and
// also for a folder of the user's that an older run left open to others. False when
// there is no folder at dir afterwards; isPrivateFolder tells whether it is private (a file
// system without Unix permissions has none).
bool makePrivateFolder(const QString& dir);

// dir + "/" + name, without doubling a separator.
[[nodiscard]] QString joinPath(const QString& dir, const QString& name);
