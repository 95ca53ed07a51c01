#include "platform/files/inifile.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "tests/common/testenv.h"

TEST(IniFile, FindsValuesAsTheProfileReaderDoes) {
    const QByteArray a255(255, 'a');
    const QByteArray a254(254, 'a');
    const struct {
        QByteArray file;
        const char16_t* section;
        const char16_t* key;
        QByteArray expected;
    } cases[] = {
        {"[ S ]\nK = \t v w \t\n", u"S", u"K", "v w"},
        {"[S]\nK=\" v \"\n", u"S", u"K", " v "},
        {"[S]\nK=\"v'\n", u"S", u"K", "\"v'"},
        {"[S]\nK=\"\n", u"S", u"K", "\""},
        {"[S]\nK=\n", u"S", u"K", ""},
        {"[S]\nK\n", u"S", u"K", ""},
        {"K=v\n[S]\n", u"S", u"K", ""},
        {"[S]\nK=1\nK=2\n", u"S", u"K", "1"},
        {"[S]\nJ=1\n[S]\nK=2\n", u"S", u"K", ""},
        {"\xEF\xBB\xBF[S]\r\nK=v", u"S", u"K", "v"},
        {"[S\nK=v\n", u"S", u"K", "v"},
        {"[S]\nK=" + a255 + "b\n", u"S", u"K", a255},
        {"[S]\nK=\"" + a255 + "\"\n", u"S", u"K", a255},
        // "あ" is three bytes; the cut falls inside it and backs off before it.
        {"[S]\nK=" + a254 + "\xE3\x81\x82\n", u"S", u"K", a254},
        {"[S]\nK=" + a254.left(252) + "\xE3\x81\x82\n", u"S", u"K",
         a254.left(252) + "\xE3\x81\x82"},
    };
    TestEnv env;
    for (const auto& c : cases) {
        env.writeFile(QStringLiteral("t.ini"), c.file);
        IniFile ini;
        ASSERT_TRUE(ini.load(env.path(QStringLiteral("t.ini"))));
        EXPECT_EQ(ini.value(c.section, c.key), c.expected) << c.file.toStdString();
    }
}

TEST(IniFile, WritesWholeFilesWithCrLf) {
    TestEnv env;
    const QString path = env.path(QStringLiteral("t.ini"));
    IniFile ini;
    EXPECT_FALSE(ini.load(path));
    EXPECT_TRUE(ini.value(u"S", u"K").isEmpty());

    ASSERT_TRUE(IniFile::write(path, {QStringLiteral("[S]"), QStringLiteral("K=ホーム")}));
    EXPECT_EQ(env.readFile(QStringLiteral("t.ini")),
              QByteArray("[S]\r\nK=\xE3\x83\x9B\xE3\x83\xBC\xE3\x83\xA0\r\n"));
    ASSERT_TRUE(ini.load(path));
    EXPECT_EQ(QString::fromUtf8(ini.value(u"s", u"k")), QStringLiteral("ホーム"));
    // Nothing but the file itself is left in the directory.
    EXPECT_EQ(QDir(env.dir()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("t.ini")});
}
