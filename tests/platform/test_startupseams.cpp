#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "platform/displayserver.h"
#include "platform/paths.h"
#include "platform/qstringprinter.h"

namespace {

TEST(ProgramPaths, InstalledCopyReadsFromShareAndWritesInTheDataDirectory) {
    QTemporaryDir root;
    const QString installedBin = root.filePath(QStringLiteral("usr/bin"));
    const QString installedShare = root.filePath(QStringLiteral("usr/share/quorvane3"));
    const QString buildDir = root.filePath(QStringLiteral("build/app"));
    const QString dataDir = root.filePath(QStringLiteral("home/.local/share/Quorvane3"));
    for (const QString& dir : {installedBin, installedShare, buildDir}) {
        ASSERT_TRUE(QDir().mkpath(dir));
    }

    struct Case {
        QString exeDir;
        QString appDataDir;
        QString programDir;
        QString shareDir;
    };
    const Case cases[] = {
        // Installed: shipped files from share/, written ones in the data directory, even
        // though root may write beside the executable.
        {installedBin, dataDir, dataDir, installedShare},
        {installedBin + QStringLiteral("/"), dataDir + QStringLiteral("/"), dataDir,
         installedShare},
        // The build output keeps everything beside the executable.
        {buildDir, dataDir, buildDir, buildDir},
        // Without a home directory an installed copy still has somewhere to write.
        {installedBin, QString(), installedBin, installedShare},
    };
    for (const Case& c : cases) {
        const ProgramPaths paths =
            decideProgramPaths(c.exeDir, QStringLiteral("Quorvane3"), c.appDataDir);
        EXPECT_EQ(paths.programDir, c.programDir) << c.exeDir.toStdString();
        EXPECT_EQ(paths.shareDir, c.shareDir) << c.exeDir.toStdString();
        EXPECT_EQ(paths.exeBaseName, QStringLiteral("Quorvane3"));
    }
}

TEST(DisplayServer, XcbOnlyUnderWaylandWithX11AndNoChoiceOfTheUser) {
    struct Case {
        DisplayEnvironment environment;
        QByteArray platform;
    };
    const Case cases[] = {
        {{"wayland-0", ":0", "wayland", ""}, "xcb"},
        {{"wayland-0", ":0", "", ""}, "xcb"},
        {{"", ":0", "wayland", ""}, "xcb"},
        // No X11 to fall back on: native Wayland.
        {{"wayland-0", "", "wayland", ""}, ""},
        // The user's choice stands.
        {{"wayland-0", ":0", "wayland", "wayland"}, ""},
        {{"wayland-0", ":0", "", "offscreen"}, ""},
        // An X11 session or no display at all: Qt's own choice.
        {{"", ":0", "x11", ""}, ""},
        {{"", "", "", ""}, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(preferredQtPlatform(c.environment), c.platform)
            << c.environment.waylandDisplay.constData() << "|" << c.environment.display.constData()
            << "|" << c.environment.sessionType.constData() << "|"
            << c.environment.qpaPlatform.constData();
    }
}

}  // namespace
