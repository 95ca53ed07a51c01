#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "platform/x11/displayserver.h"
#include "platform/system/instancechannel.h"
#include "platform/files/paths.h"
#include "tests/platform/qstringprinter.h"

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

class InstanceChannelTest : public ::testing::Test {
protected:
    bool send(const QList<QByteArray>& lines, int timeoutMs = 2000) {
        return sendToRunningInstance(name, lines, timeoutMs, currentUserId()) ==
               HandOverOutcome::Delivered;
    }

    QTemporaryDir dir;
    QString name = dir.filePath(QStringLiteral("channel.socket"));
};

TEST_F(InstanceChannelTest, DeliversTheLinesOfEverySenderAndDropsOversizedOnes) {
    InstanceChannelServer server(name);
    ASSERT_TRUE(server.listen()) << server.errorString().toStdString();
    QList<QByteArray> received;
    QObject::connect(&server, &InstanceChannelServer::linesReceived,
                     [&received](const QList<QByteArray>& lines) { received += lines; });

    ASSERT_TRUE(send({"http://127.0.0.1/a.xml", "", "file:///tmp/b.opml"}));
    ASSERT_TRUE(QTest::qWaitFor([&received] { return received.size() == 2; }));
    EXPECT_EQ(received, (QList<QByteArray>{"http://127.0.0.1/a.xml", "file:///tmp/b.opml"}));

    // A line longer than any request ends that connection; the next sender is heard.
    received.clear();
    ASSERT_TRUE(send({QByteArray(InstanceChannelServer::kMaxLineBytes + 10, 'x'), "after"}));
    ASSERT_TRUE(send({"next"}));
    ASSERT_TRUE(QTest::qWaitFor([&received] { return !received.isEmpty(); }));
    QTest::qWait(50);
    EXPECT_EQ(received, QList<QByteArray>{"next"});

    // A listener of another user gets nothing: the lines may carry private URLs.
    received.clear();
    EXPECT_EQ(sendToRunningInstance(name, {"http://127.0.0.1/private?token=1"}, 2000,
                                    currentUserId() + 1),
              HandOverOutcome::ForeignListener);
    QTest::qWait(50);
    EXPECT_TRUE(received.isEmpty());
}

TEST_F(InstanceChannelTest, ASocketLeftByACrashIsTakenOverAndNobodyListeningIsReported) {
    // Nobody listens: the sender gives up after its time.
    EXPECT_FALSE(send({"http://127.0.0.1/a.xml"}, 300));

    // The socket file of a run that crashed stays behind and blocks a plain listen.
    QFile leftover(name);
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    leftover.close();
    InstanceChannelServer server(name);
    ASSERT_TRUE(server.listen()) << server.errorString().toStdString();
    QList<QByteArray> received;
    QObject::connect(&server, &InstanceChannelServer::linesReceived,
                     [&received](const QList<QByteArray>& lines) { received += lines; });
    ASSERT_TRUE(send({"feed"}));
    EXPECT_TRUE(QTest::qWaitFor([&received] { return !received.isEmpty(); }));
}

TEST(InstanceChannelPlace, OnlyInAFolderOfTheUsersAlone) {
    QTemporaryDir root;
    const auto folder = [&root](const QString& name, QFile::Permissions permissions) {
        const QString path = root.filePath(name);
        EXPECT_TRUE(QDir().mkpath(path));
        EXPECT_TRUE(QFile::setPermissions(path, permissions));
        return path;
    };
    const auto ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    const QString runtime = folder(QStringLiteral("run"), ownerOnly);
    const QString data = folder(QStringLiteral("data"), ownerOnly);
    // As /tmp is: anyone may make a socket there.
    const QString shared = folder(
        QStringLiteral("tmp"), ownerOnly | QFile::WriteOther | QFile::ExeOther | QFile::ReadOther);
    const QString deep = folder(QString(100, QLatin1Char('d')), ownerOnly);
    const uint me = currentUserId();

    struct Case {
        QString runtimeDir;
        QString dataDir;
        uint uid;
        QString socketDir;  // empty: no hand-over
    };
    const Case cases[] = {
        {runtime, data, me, runtime},
        // No runtime folder, or one others may enter, or a relative one: the data folder.
        {QString(), data, me, data},
        {shared, data, me, data},
        {QStringLiteral("runtime-me"), data, me, data},
        // A path too long for a socket is no place either.
        {deep, data, me, data},
        // Folders owned by someone else, or none at all: no hand-over.
        {runtime, data, me + 1, QString()},
        {shared, QString(), me, QString()},
        {QString(), QString(), me, QString()},
    };
    for (const Case& c : cases) {
        const InstanceChannelPlace place =
            instanceChannelPlace(QStringLiteral("/opt/q"), c.runtimeDir, c.dataDir, c.uid);
        SCOPED_TRACE(c.runtimeDir.toStdString() + " | " + c.dataDir.toStdString());
        if (c.socketDir.isEmpty()) {
            EXPECT_TRUE(place.name.isEmpty()) << place.name.toStdString();
            EXPECT_FALSE(place.why.isEmpty());
        } else {
            EXPECT_EQ(QFileInfo(place.name).absolutePath(), c.socketDir);
        }
    }

    // One socket per program directory.
    const QString a = instanceChannelPlace(QStringLiteral("/home/a"), runtime, data, me).name;
    EXPECT_NE(a, instanceChannelPlace(QStringLiteral("/home/b"), runtime, data, me).name);
    EXPECT_EQ(a, instanceChannelPlace(QStringLiteral("/home/a"), runtime, data, me).name);
}

}  // namespace
