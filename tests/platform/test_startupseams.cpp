#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "platform/displayserver.h"
#include "platform/instancechannel.h"
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

class InstanceChannelTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString name = dir.filePath(QStringLiteral("channel.socket"));
};

TEST_F(InstanceChannelTest, DeliversTheLinesOfEverySenderAndDropsOversizedOnes) {
    InstanceChannelServer server(name);
    ASSERT_TRUE(server.listen()) << server.errorString().toStdString();
    QList<QByteArray> received;
    QObject::connect(&server, &InstanceChannelServer::linesReceived,
                     [&received](const QList<QByteArray>& lines) { received += lines; });

    ASSERT_TRUE(
        sendToRunningInstance(name, {"http://127.0.0.1/a.xml", "", "file:///tmp/b.opml"}, 2000));
    ASSERT_TRUE(QTest::qWaitFor([&received] { return received.size() == 2; }));
    EXPECT_EQ(received, (QList<QByteArray>{"http://127.0.0.1/a.xml", "file:///tmp/b.opml"}));

    // A line longer than any request ends that connection; the next sender is heard.
    received.clear();
    ASSERT_TRUE(sendToRunningInstance(
        name, {QByteArray(InstanceChannelServer::kMaxLineBytes + 10, 'x'), "after"}, 2000));
    ASSERT_TRUE(sendToRunningInstance(name, {"next"}, 2000));
    ASSERT_TRUE(QTest::qWaitFor([&received] { return !received.isEmpty(); }));
    QTest::qWait(50);
    EXPECT_EQ(received, QList<QByteArray>{"next"});
}

TEST_F(InstanceChannelTest, ASocketLeftByACrashIsTakenOverAndNobodyListeningIsReported) {
    // Nobody listens: the sender gives up after its time.
    EXPECT_FALSE(sendToRunningInstance(name, {"http://127.0.0.1/a.xml"}, 300));

    // The socket file of a run that crashed stays behind and blocks a plain listen.
    QFile leftover(name);
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    leftover.close();
    InstanceChannelServer server(name);
    ASSERT_TRUE(server.listen()) << server.errorString().toStdString();
    QList<QByteArray> received;
    QObject::connect(&server, &InstanceChannelServer::linesReceived,
                     [&received](const QList<QByteArray>& lines) { received += lines; });
    ASSERT_TRUE(sendToRunningInstance(name, {"feed"}, 2000));
    EXPECT_TRUE(QTest::qWaitFor([&received] { return !received.isEmpty(); }));
}

TEST(InstanceChannelName, IsPerProgramDirectory) {
    const QString a = instanceChannelName(QStringLiteral("/home/a/.local/share/Quorvane3"));
    const QString b = instanceChannelName(QStringLiteral("/home/b/.local/share/Quorvane3"));
    EXPECT_NE(a, b);
    EXPECT_EQ(a, instanceChannelName(QStringLiteral("/home/a/.local/share/Quorvane3")));
    // Unix socket paths hold at most 107 bytes.
    EXPECT_LT(a.toUtf8().size(), 100);
}

}  // namespace
