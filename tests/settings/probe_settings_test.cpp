#include <QProcess>
#include <gtest/gtest.h>

#include "tests/common/testenv.h"

namespace {

struct ProbeRun {
    int exitCode = -1;
    QByteArray out;
};

ProbeRun runProbe(const QStringList& args) {
    QProcess probe;
    probe.start(QStringLiteral(QV_PROBE_PATH), QStringList{QStringLiteral("settings")} + args);
    probe.waitForFinished(30000);
    return {probe.exitStatus() == QProcess::NormalExit ? probe.exitCode() : -1,
            probe.readAllStandardOutput()};
}

}  // namespace

TEST(ProbeSettings, PrintsAndSavesWhatTheProgramWouldHold) {
    TestEnv env;
    env.writeFile(QStringLiteral("config.ini"),
                  "[Other]\nLIMIT_HOURES=24\n"
                  "[Mine]\nOPML_PATH=\"a\tb\"\nTICKER_LEFT=100.5\n");
    const QByteArray expected = "APP_PATH=" + env.dir().toUtf8() +
                                "\nOPML_PATH=a\\tb\nTICKER_MODE=0\nAUTO_LOAD_FLG=1\n"
                                "CHECKED_HIDE_FLG=0\nOLD_HIDE_FLG=1\nLIMIT_HOURES=12\n"
                                "AUTO_PIROT_MINITS=2\nAUTO_PIROT_MODE=0\nNEWS_INTERVAL=8\n"
                                "NEWS_SCROLL_SPEED=15\nTICKER_TRANSPARENCY_LEVEL=100\n"
                                "TICKER_TOPMOST_FLG=-1\nTICKER_MARGIN_TOP=520\n"
                                "TICKER_BACK_COLOR=0\nTICKER_FORE_COLOR=16777215\n"
                                "TICKER_LEFT=100.5\nTICKER_TOP=520\n";
    const ProbeRun shown = runProbe({env.dir(), QStringLiteral("Mine"), QStringLiteral("--save")});
    EXPECT_EQ(shown.exitCode, 0);
    EXPECT_EQ(shown.out, expected);

    QByteArray saved = "[Mine]\n" + expected;
    saved.replace("\\t", "\t");
    saved.replace("\n", "\r\n");
    EXPECT_EQ(env.readFile(QStringLiteral("config.ini")), saved);

    EXPECT_EQ(runProbe({}).exitCode, 2);
    EXPECT_EQ(runProbe({env.dir(), QStringLiteral("--bogus")}).exitCode, 2);
}
