#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <memory>
#include <sys/stat.h>

#include "tests/common/loopbackserver.h"
#include "tests/platform/qstringprinter.h"

namespace {

const QString kDesktopId = QStringLiteral(QV_DESKTOP_ID);

const QByteArray kFeed = R"(<?xml version="1.0" encoding="UTF-8"?>
<rss version="2.0"><channel><title>Loopback News</title><link>http://127.0.0.1/</link>
<item><title>One</title><link>http://127.0.0.1/1</link></item></channel></rss>
)";

// Every file under dir, as paths relative to it.
QStringList filesUnder(const QString& dir) {
    QStringList files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        files.append(QDir(dir).relativeFilePath(it.next()));
    }
    files.sort();
    return files;
}

// One "cmake --install" of the build into a temporary prefix for the whole suite.
class InstallTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        prefixDir = std::make_unique<QTemporaryDir>();
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        // As careless a umask as there is: the install must not depend on it.
        install.setChildProcessModifier([] { ::umask(0); });
        install.start(QStringLiteral(QV_CMAKE_COMMAND),
                      {QStringLiteral("--install"), QStringLiteral(QV_BUILD_DIR),
                       QStringLiteral("--prefix"), prefixDir->path()});
        installed = install.waitForFinished(120000) &&
                    install.exitStatus() == QProcess::NormalExit && install.exitCode() == 0;
        installLog = install.readAll();
    }
    static void TearDownTestSuite() { prefixDir.reset(); }

    void SetUp() override { ASSERT_TRUE(installed) << installLog.constData(); }

    static QString prefix(const QString& relative) { return prefixDir->filePath(relative); }

    // Runs a checking tool on an installed file; skipped when the tool is missing.
    static void validate(const QString& tool, const QStringList& arguments) {
        const QString exe = QStandardPaths::findExecutable(tool);
        if (exe.isEmpty()) {
            GTEST_SKIP() << tool.toStdString() << " is not installed (scripts/deps installs it)";
        }
        QProcess check;
        check.setProcessChannelMode(QProcess::MergedChannels);
        check.start(exe, arguments);
        ASSERT_TRUE(check.waitForFinished(60000));
        EXPECT_EQ(check.exitCode(), 0) << check.readAll().constData();
    }

    static std::unique_ptr<QTemporaryDir> prefixDir;
    static bool installed;
    static QByteArray installLog;
};

std::unique_ptr<QTemporaryDir> InstallTest::prefixDir;
bool InstallTest::installed = false;
QByteArray InstallTest::installLog;

TEST_F(InstallTest, LaysOutProgramsSharedFilesMenuEntryAndIconsInEverySize) {
    const QStringList files = {
        QStringLiteral("bin/Quorvane3"),
        QStringLiteral("bin/qv3probe"),
        QStringLiteral("share/quorvane3/default.xml"),
        QStringLiteral("share/quorvane3/qvr3/index.html"),
        QStringLiteral("share/quorvane3/qvr3/index-en.html"),
        QStringLiteral("share/quorvane3/qvr3/help.html"),
        QStringLiteral("share/quorvane3/qvr3/help-en.html"),
        QStringLiteral("share/quorvane3/translations/quorvane3_en.qm"),
        QStringLiteral("share/quorvane3/qvr3/style.css"),
        QStringLiteral("share/applications/") + kDesktopId + QStringLiteral(".desktop"),
        QStringLiteral("share/metainfo/") + kDesktopId + QStringLiteral(".metainfo.xml"),
        QStringLiteral("share/icons/hicolor/scalable/apps/") + kDesktopId + QStringLiteral(".svg"),
    };
    for (const QString& file : files) {
        EXPECT_TRUE(QFileInfo(prefix(file)).isFile()) << file.toStdString();
    }
    EXPECT_TRUE(QFileInfo(prefix(QStringLiteral("bin/Quorvane3"))).isExecutable());
    // Installed under umask 000, and still nothing that others may change.
    QDirIterator all(prefixDir->path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                     QDirIterator::Subdirectories);
    while (all.hasNext()) {
        const QFileInfo entry(all.next());
        EXPECT_FALSE(entry.permissions().testAnyFlags(QFile::WriteGroup | QFile::WriteOther))
            << entry.filePath().toStdString();
    }

    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString icon = QStringLiteral("share/icons/hicolor/%1x%1/apps/").arg(size) +
                             kDesktopId + QStringLiteral(".png");
        const QImage image(prefix(icon));
        EXPECT_EQ(image.size(), QSize(size, size)) << icon.toStdString();
    }

    // The metainfo names this release.
    QFile metainfo(
        prefix(QStringLiteral("share/metainfo/") + kDesktopId + QStringLiteral(".metainfo.xml")));
    ASSERT_TRUE(metainfo.open(QIODevice::ReadOnly));
    EXPECT_TRUE(metainfo.readAll().contains("version=\"3.0.37\""));
}

TEST_F(InstallTest, DesktopEntryIsValid) {
    validate(
        QStringLiteral("desktop-file-validate"),
        {prefix(QStringLiteral("share/applications/") + kDesktopId + QStringLiteral(".desktop"))});
}

TEST_F(InstallTest, MetainfoIsValid) {
    validate(
        QStringLiteral("appstreamcli"),
        {QStringLiteral("validate"), QStringLiteral("--no-net"),
         prefix(QStringLiteral("share/metainfo/") + kDesktopId + QStringLiteral(".metainfo.xml"))});
}

// The installed program under a temporary home, on the offscreen platform.
class InstalledRunTest : public InstallTest {
protected:
    void SetUp() override {
        InstallTest::SetUp();
        ASSERT_TRUE(home.isValid());
        dataDir = home.filePath(QStringLiteral("data/Quorvane3"));
        ASSERT_TRUE(QDir().mkpath(dataDir));
        // Open to others for reading, as an older run might have left it.
        QFile::setPermissions(dataDir, QFile::Permissions(0x7755));
        const QString runtimeDir = home.filePath(QStringLiteral("runtime"));
        ASSERT_TRUE(QDir().mkpath(runtimeDir));
        QFile::setPermissions(runtimeDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE"}) {
            environment.remove(QLatin1String(name));
        }
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                           home.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_CACHE_HOME"),
                           home.filePath(QStringLiteral("cache")));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);

        // A later start: the starting-list question is not asked, the ticker not shown.
        QFile config(dataDir + QStringLiteral("/config.ini"));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write("[Quorvane3]\r\nOPML_PATH=" +
                     prefix(QStringLiteral("share/quorvane3/default.xml")).toUtf8() +
                     "\r\nAUTO_LOAD_FLG=0\r\n");
        config.close();
        feeds.serve(QStringLiteral("/first.xml"), kFeed);
        feeds.serve(QStringLiteral("/second.xml"), kFeed);
    }

    void TearDown() override {
        if (running.state() != QProcess::NotRunning) {
            running.kill();
            running.waitForFinished(5000);
        }
    }

    void startProgram(QProcess& process, const QStringList& arguments) {
        process.setProcessEnvironment(environment);
        process.setChildProcessModifier([] { ::umask(0); });
        process.setWorkingDirectory(home.path());
        process.start(prefix(QStringLiteral("bin/Quorvane3")), arguments);
    }

    // A second start: ends by itself; its exit code and what it logged.
    QPair<int, QByteArray> startAgain(const QStringList& arguments) {
        QProcess second;
        startProgram(second, arguments);
        const bool ended = second.waitForFinished(15000);
        EXPECT_TRUE(ended) << arguments.join(QLatin1Char(' ')).toStdString();
        if (!ended) {
            second.kill();
            second.waitForFinished();
        }
        return {second.exitCode(), second.readAllStandardError()};
    }

    bool fetched(const QString& path) {
        return QTest::qWaitFor([this, path] { return feeds.requestCount(path) > 0; }, 20000);
    }

    QTemporaryDir home;
    QString dataDir;
    QProcessEnvironment environment;
    LoopbackServer feeds;
    QProcess running;
};

TEST_F(InstalledRunTest, KeepsItsFilesInTheDataDirectoryAndTakesFeedsFromLaterStarts) {
    const QStringList installedFiles = filesUnder(prefixDir->path());

    // Started with a feed: it starts as usual, then checks the feed in the new-site dialog.
    startProgram(running, {QStringLiteral("feed:") + feeds.url(QStringLiteral("/first.xml"))});
    ASSERT_TRUE(running.waitForStarted());
    ASSERT_TRUE(fetched(QStringLiteral("/first.xml")))
        << running.readAllStandardError().constData();

    // A later start hands its URL over and ends.
    const auto [handedCode, handedLog] = startAgain({feeds.url(QStringLiteral("/second.xml"))});
    EXPECT_EQ(handedCode, 0) << handedLog.constData();
    EXPECT_TRUE(fetched(QStringLiteral("/second.xml")));

    // Without arguments a later start ends silently; a javascript: URL is refused and logged.
    const auto [plainCode, plainLog] = startAgain({});
    EXPECT_EQ(plainCode, 0);
    EXPECT_FALSE(plainLog.contains("Quorvane3:")) << plainLog.constData();
    const auto [refusedCode, refusedLog] = startAgain({QStringLiteral("javascript:alert(1)")});
    EXPECT_EQ(refusedCode, 0);
    EXPECT_TRUE(refusedLog.contains("ignoring \"javascript:alert(1)\"")) << refusedLog.constData();
    EXPECT_EQ(feeds.requests().size(), 2);
    EXPECT_EQ(running.state(), QProcess::Running);

    // The termination signal saves as the exit command does.
    ::kill(static_cast<pid_t>(running.processId()), SIGTERM);
    ASSERT_TRUE(running.waitForFinished(15000));
    EXPECT_EQ(running.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(running.exitCode(), 0);

    // config.ini now holds every setting, not only the three lines written above.
    QFile config(dataDir + QStringLiteral("/config.ini"));
    ASSERT_TRUE(config.open(QIODevice::ReadOnly));
    EXPECT_TRUE(config.readAll().contains("\r\nNEWS_INTERVAL="));
    EXPECT_TRUE(QFileInfo::exists(dataDir + QStringLiteral("/rsslist.opml")));
    EXPECT_EQ(filesUnder(prefixDir->path()), installedFiles);
    // Run under umask 000 in a data folder others could read: what it wrote is the user's
    // alone, and so is the folder now.
    const auto ownerOnly = QFile::ReadOwner | QFile::WriteOwner;
    EXPECT_EQ(QFileInfo(dataDir).permissions(),
              ownerOnly | QFile::ExeOwner | QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
    for (const char* name : {"config.ini", "rsslist.opml"}) {
        EXPECT_EQ(QFileInfo(dataDir + QLatin1Char('/') + QLatin1String(name)).permissions(),
                  ownerOnly | QFile::ReadUser | QFile::WriteUser)
            << name;
    }
}

// A data folder others may write in could hold a list and rules another user planted: the
// program says so and uses nothing in it, not even for its lock.
TEST_F(InstalledRunTest, RefusesADataFolderOthersMayWriteIn) {
    QFile::setPermissions(dataDir, QFile::Permissions(0x7777));
    const QStringList before = QDir(dataDir).entryList(QDir::Files | QDir::Hidden);
    startProgram(running, {});
    ASSERT_TRUE(running.waitForStarted());
    QByteArray log;
    ASSERT_TRUE(QTest::qWaitFor(
        [this, &log] {
            log += running.readAllStandardError();
            return log.contains("Quorvane3: ");
        },
        20000));
    EXPECT_TRUE(log.contains(QFile::encodeName(dataDir))) << log.constData();
    EXPECT_EQ(QDir(dataDir).entryList(QDir::Files | QDir::Hidden), before);
    EXPECT_EQ(QFileInfo(dataDir).permissions(), QFile::Permissions(0x7777));
    EXPECT_EQ(feeds.requests().size(), 0);
}

}  // namespace
