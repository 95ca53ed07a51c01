#include "settings/config.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include "tests/common/testenv.h"

namespace {

// The key's line as a save writes it; "KEY=" when it writes none.
QString lineOf(const AppState& state, const QString& key) {
    for (const QString& line : settingsLines(state)) {
        if (line.startsWith(key + QLatin1Char('='))) {
            return line;
        }
    }
    return key + QLatin1Char('=');
}

}  // namespace

TEST(Config, DefaultFileOnA1024PixelScreen) {
    TestEnv env;
    env.state().blnSiteListFlg = true;
    env.state().NewsQueue.append(ArticleRecord{});
    InitDefaults(env.state());
    EXPECT_FALSE(env.state().blnSiteListFlg);
    EXPECT_TRUE(env.state().NewsQueue.isEmpty());
    EXPECT_FALSE(LoadSettings(env.state()));

    ASSERT_TRUE(SaveSettings(env.state()));
    const QByteArray expected = "[Quorvane3]\r\nAPP_PATH=" + env.dir().toUtf8() +
                                "\r\n"
                                "OPML_PATH=\r\n"
                                "TICKER_MODE=0\r\n"
                                "AUTO_LOAD_FLG=1\r\n"
                                "CHECKED_HIDE_FLG=0\r\n"
                                "OLD_HIDE_FLG=1\r\n"
                                "LIMIT_HOURES=12\r\n"
                                "AUTO_PIROT_MINITS=2\r\n"
                                "AUTO_PIROT_MODE=0\r\n"
                                "NEWS_INTERVAL=8\r\n"
                                "NEWS_SCROLL_SPEED=15\r\n"
                                "TICKER_TRANSPARENCY_LEVEL=100\r\n"
                                "TICKER_TOPMOST_FLG=-1\r\n"
                                "TICKER_MARGIN_TOP=520\r\n"
                                "TICKER_BACK_COLOR=0\r\n"
                                "TICKER_FORE_COLOR=16777215\r\n"
                                "TICKER_LEFT=8160\r\n"
                                "TICKER_TOP=520\r\n";
    EXPECT_EQ(env.readFile(QStringLiteral("config.ini")), expected);
}

// Each file is read over the defaults; every listed line must then be what a save writes.
TEST(Config, ReadsHandEditedFiles) {
    const struct {
        QByteArray file;
        QStringList expected;
    } cases[] = {
        {"[Quorvane3]\r\nLIMIT_HOURES=24\r\n",
         {"LIMIT_HOURES=24", "TICKER_MODE=0", "AUTO_LOAD_FLG=1", "TICKER_LEFT=8160"}},
        {"[Quorvane3]\nLIMIT_HOURES=abc\nTICKER_MODE=\n", {"LIMIT_HOURES=12", "TICKER_MODE=0"}},
        {"[Quorvane3]\nTICKER_TRANSPARENCY_LEVEL=7.5\nNEWS_INTERVAL=2.5\nLIMIT_HOURES=-1.5\n",
         {"TICKER_TRANSPARENCY_LEVEL=8", "NEWS_INTERVAL=2", "LIMIT_HOURES=-2"}},
        {"[quorvane3]\n  limit_houres  = \t\" 30 \"\t\nTicker_Mode='1'\n",
         {"LIMIT_HOURES=30", "TICKER_MODE=1"}},
        {"[Quorvane3]\nAUTO_LOAD_FLG=0\nCHECKED_HIDE_FLG=5\nOLD_HIDE_FLG=false\n",
         {"AUTO_LOAD_FLG=0", "CHECKED_HIDE_FLG=1", "OLD_HIDE_FLG=0"}},
        {"[Quorvane3]\nAUTO_LOAD_FLG=yes\nCHECKED_HIDE_FLG=TRUE\nOLD_HIDE_FLG=0.0\n",
         {"AUTO_LOAD_FLG=1", "CHECKED_HIDE_FLG=1", "OLD_HIDE_FLG=0"}},
        {"[Quorvane3]\nOPML_PATH=/a/b=c.xml\n", {"OPML_PATH=/a/b=c.xml"}},
        {"[Quorvane3]\nLIMIT_HOURES=40000\nTICKER_BACK_COLOR=40000\n"
         "TICKER_FORE_COLOR=2147483648\nTICKER_TOPMOST_FLG=-2\n",
         {"LIMIT_HOURES=12", "TICKER_BACK_COLOR=40000", "TICKER_FORE_COLOR=16777215",
          "TICKER_TOPMOST_FLG=-2"}},
        {"[Other]\nLIMIT_HOURES=24\n[Quorvane3]\nTICKER_MODE=1\n[Another]\nAUTO_PIROT_MODE=2\n",
         {"LIMIT_HOURES=12", "TICKER_MODE=1", "AUTO_PIROT_MODE=0"}},
        // A ticker interval or slide step count below 1 would spin or divide by zero.
        {"[Quorvane3]\nNEWS_SCROLL_SPEED=0\nNEWS_INTERVAL=0\n",
         {"NEWS_SCROLL_SPEED=15", "NEWS_INTERVAL=8"}},
        {"[Quorvane3]\nNEWS_SCROLL_SPEED=1\nNEWS_INTERVAL=-3\n",
         {"NEWS_SCROLL_SPEED=1", "NEWS_INTERVAL=8"}},
        {"[Quorvane3]\nTICKER_LEFT=-12.5\nTICKER_TOP=1e40\n",
         {"TICKER_LEFT=-12.5", "TICKER_TOP=520"}},
        {"[Quorvane3]\nTICKER_LEFT=nan\nTICKER_TOP=inf\n", {"TICKER_LEFT=8160", "TICKER_TOP=520"}},
        {"[Quorvane3]\nOPML_PATH=" + QByteArray(300, 'x') + "\n",
         {"OPML_PATH=" + QString(255, u'x')}},
        // A mode's number that stands for nothing keeps the default; AUTO_PIROT_MODE's 1 is
        // a mode of its own.
        {"[Quorvane3]\nTICKER_MODE=2\nAUTO_PIROT_MODE=1\nTICKER_TOPMOST_FLG=0\n",
         {"TICKER_MODE=0", "AUTO_PIROT_MODE=1", "TICKER_TOPMOST_FLG=-1"}},
        {"[Quorvane3]\nTICKER_PLACEMENT=1.0\nTICKER_MARQUEE=1\nTICKER_SCREEN= DP-2 \n",
         {"TICKER_PLACEMENT=1", "TICKER_MARQUEE=1", "TICKER_SCREEN=DP-2"}},
        {"[Quorvane3]\nTICKER_PLACEMENT=3\nTICKER_MARQUEE=-1\nTICKER_SCREEN=\n",
         {"TICKER_PLACEMENT=", "TICKER_MARQUEE=", "TICKER_SCREEN="}},
        // 2 is the next presentation's, not a kind yet.
        {"[Quorvane3]\nTICKER_MARQUEE=2\n", {"TICKER_MARQUEE="}},
        {"[Quorvane3]\nTICKER_SPEAK=1\n", {"TICKER_SPEAK=1"}},
        {"[Quorvane3]\nSITE_ICONS=0\n", {"SITE_ICONS=0"}},
    };
    for (const auto& c : cases) {
        TestEnv env;
        env.writeFile(QStringLiteral("config.ini"), c.file);
        InitDefaults(env.state());
        EXPECT_TRUE(LoadSettings(env.state()));
        for (const QString& line : c.expected) {
            const QString key = line.left(line.indexOf(QLatin1Char('=')));
            EXPECT_EQ(lineOf(env.state(), key), line) << c.file.toStdString();
        }
    }
}

TEST(Config, SaveAndLoadKeepEveryField) {
    TestEnv env;
    InitDefaults(env.state());
    Settings& s = env.state().settings;
    s.OPML_PATH = QStringLiteral("/ホーム/my lists/rss=1.opml");
    s.TICKER_MODE = TickerMode::PopUp;
    s.AUTO_LOAD_FLG = false;
    s.CHECKED_HIDE_FLG = true;
    s.OLD_HIDE_FLG = false;
    s.LIMIT_HOURES = 48;
    s.AUTO_PIROT_MINITS = 60;
    s.AUTO_PIROT_MODE = PatrolMode::AllSites;
    s.NEWS_INTERVAL = 3;
    s.NEWS_SCROLL_SPEED = 32767;
    s.TICKER_TRANSPARENCY_LEVEL = 10;
    s.TICKER_TOPMOST_FLG = TickerStacking::Normal;
    s.TICKER_MARGIN_TOP = -32768;
    s.TICKER_BACK_COLOR = 0x00123456;
    s.TICKER_FORE_COLOR = 2147483647;
    s.TICKER_LEFT = -1234.25f;
    s.TICKER_TOP = 123.4f;
    s.TICKER_PLACEMENT = TickerPlacement::DockedBottom;
    s.TICKER_SCREEN = QStringLiteral("HDMI-1");
    s.TICKER_MARQUEE = TickerPresentationKind::Marquee;
    s.TICKER_SPEAK = true;
    s.SITE_ICONS = false;
    ASSERT_TRUE(SaveSettings(env.state()));
    const QStringList saved = settingsLines(env.state());
    // What the design's file holds comes first, unchanged; the rest follows.
    EXPECT_EQ(saved.mid(18), QStringList({"TICKER_PLACEMENT=2", "TICKER_SCREEN=HDMI-1",
                                          "TICKER_MARQUEE=1", "TICKER_SPEAK=1", "SITE_ICONS=0"}));

    InitDefaults(env.state());
    ASSERT_TRUE(LoadSettings(env.state()));
    EXPECT_EQ(settingsLines(env.state()), saved);
    EXPECT_EQ(s.OPML_PATH, QStringLiteral("/ホーム/my lists/rss=1.opml"));
    EXPECT_EQ(s.TICKER_LEFT, -1234.25f);
    EXPECT_EQ(s.TICKER_TOP, 123.4f);
}

// A ticker never moved yet starts where the primary screen would put it, on its own screen;
// a screen not connected stands for the primary one.
TEST(Config, ANeverMovedTickerStartsOnItsScreen) {
    const struct {
        QByteArray file;
        QStringList expected;
    } cases[] = {
        {"[Quorvane3]\nTICKER_SCREEN=DP-2\n", {"TICKER_LEFT=27360", "TICKER_TOP=520"}},
        {"[Quorvane3]\nTICKER_SCREEN=DP-2\nTICKER_TOP=900\n",
         {"TICKER_LEFT=8160", "TICKER_TOP=900"}},
        {"[Quorvane3]\nTICKER_SCREEN=VGA-9\n", {"TICKER_LEFT=8160", "TICKER_SCREEN=VGA-9"}},
    };
    for (const auto& c : cases) {
        TestEnv env;
        env.screen.setOtherScreens({{QStringLiteral("DP-2"), QRect(1024, 0, 1280, 1024)}});
        env.writeFile(QStringLiteral("config.ini"), c.file);
        InitDefaults(env.state());
        ASSERT_TRUE(LoadSettings(env.state()));
        for (const QString& line : c.expected) {
            EXPECT_EQ(lineOf(env.state(), line.left(line.indexOf(QLatin1Char('=')))), line)
                << c.file.toStdString();
        }
    }
}

TEST(Config, SaveOverADirectoryFailsCleanly) {
    TestEnv env;
    InitDefaults(env.state());
    QDir(env.dir()).mkdir(QStringLiteral("config.ini"));
    EXPECT_FALSE(LoadSettings(env.state()));
    EXPECT_FALSE(SaveSettings(env.state()));
    // No temporary file is left behind.
    EXPECT_EQ(QDir(env.dir()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QStringLiteral("config.ini")});
}

TEST(Config, FailedSaveKeepsTheOldFile) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "permissions do not stop root";
    }
    TestEnv env;
    InitDefaults(env.state());
    const QByteArray old = "[Quorvane3]\r\nLIMIT_HOURES=24\r\n";
    env.writeFile(QStringLiteral("config.ini"), old);
    const QFile::Permissions writable = QFile::permissions(env.dir());
    QFile::setPermissions(env.dir(), QFile::ReadOwner | QFile::ExeOwner);
    const bool saved = SaveSettings(env.state());
    QFile::setPermissions(env.dir(), writable);
    EXPECT_FALSE(saved);
    EXPECT_EQ(env.readFile(QStringLiteral("config.ini")), old);
}

// clang-format off
TEST(Config, TextConversions) {
    const struct {
        const char16_t* text;
        std::optional<qint32> int16;
    } integers[] = {
        {u"-2.5", -2}, {u"0.5", 0}, {u"2.50001", 3}, {u"2.4999", 2}, {u" +12\t", 12},
        {u".5", 0}, {u"7.", 7}, {u"0000000000042", 42}, {u"32767.5", {}}, {u"-32768.5", -32768},
        {u"1e3", {}}, {u"0x10", {}}, {u"", {}}, {u"-", {}}, {u".", {}}, {u"1 2", {}},
        {u"１２", {}}, {u"99999999999999", {}},
    };
    for (const auto& c : integers) {
        EXPECT_EQ(textToInteger(c.text, -32768, 32767), c.int16)
            << QString::fromUtf16(c.text).toStdString();
    }
    EXPECT_EQ(textToInteger(u"-2147483648", INT32_MIN, INT32_MAX), INT32_MIN);
    EXPECT_EQ(textToInteger(u"2147483647.5", INT32_MIN, INT32_MAX), std::nullopt);

    const struct {
        const char16_t* text;
        std::optional<bool> flag;
    } flags[] = {
        {u" fALSE ", false}, {u"-0.0", false}, {u"-1", true}, {u"0.4", true}, {u"", {}},
        {u"truex", {}},
    };
    for (const auto& c : flags) {
        EXPECT_EQ(textToFlag(c.text), c.flag) << QString::fromUtf16(c.text).toStdString();
    }

    const struct {
        const char16_t* text;
        std::optional<float> value;
    } floats[] = {
        {u"+3", 3.0f}, {u"1E-2", 0.01f}, {u".5", 0.5f}, {u"1e39", {}}, {u"1,5", {}}, {u"", {}},
    };
    for (const auto& c : floats) {
        EXPECT_EQ(textToFloat(c.text), c.value) << QString::fromUtf16(c.text).toStdString();
    }

    // Seven significant digits, never an exponent.
    const struct {
        float value;
        const char* text;
    } texts[] = {
        {-300.25f, "-300.25"}, {0.1f, "0.1"}, {-0.0f, "0"}, {12345678.0f, "12345680"},
        {1e20f, "100000000000000000000"}, {-2.5e-5f, "-0.000025"}, {1e-5f, "0.00001"},
    };
    for (const auto& c : texts) {
        EXPECT_EQ(floatText(c.value), QLatin1String(c.text)) << c.text;
    }
}
// clang-format on
