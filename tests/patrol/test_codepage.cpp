#include <gtest/gtest.h>

#include "patrol/md5.h"
#include "formats/titleclean.h"

namespace {

QString u16(std::initializer_list<char16_t> units) {
    QString text;
    for (const char16_t u : units) {
        text.append(QChar(u));
    }
    return text;
}

// Expected digests computed outside the program (md5sum over hand-checked cp932 bytes).
TEST(Md5Hex, KnownDigests) {
    struct Row {
        QString text;
        const char* digest;
    };
    const Row rows[] = {
        {QString(), "d41d8cd98f00b204e9800998ecf8427e"},
        {QStringLiteral("abc"), "900150983cd24fb0d6963f7d28e17f72"},
        {QStringLiteral("http://www.example.com/rss/index.rdf"),
         "9ab47fa3fc5407ee8f30c3d2e0326d9e"},
        // 93FA 967B 8CEA 82CC 836A 8385 815B 8358
        {QString::fromUtf8("日本語のニュース"), "ad078aeee92f01bc9074fb48a40ab414"},
        // Wave dash and each half of a surrogate pair have no cp932 form: "a?b??c".
        {u16({u'a', 0x301C, u'b', 0xD83D, 0xDE00, u'c'}), "aebb3afdb11985b6617ec2f93fc0f00c"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(MD5Hex(row.text), QLatin1String(row.digest)) << row.text.toStdString();
    }
}

TEST(Md5Hex, UnencodableUnitsBecomeQuestionMarks) {
    EXPECT_EQ(toWindows31j(QString::fromUtf8("日a")), QByteArray("\x93\xfa"
                                                                 "a"));
    EXPECT_EQ(toWindows31j(u16({0x2212, u'x', 0xD55C})), QByteArray("?x?"));
    // A lone high surrogate at the end is a unit of its own, not dropped.
    EXPECT_EQ(toWindows31j(u16({u'x', 0xD83D})), QByteArray("x?"));
    // The cp932 extensions are there (circled one, parallel, fullwidth tilde).
    EXPECT_EQ(toWindows31j(u16({0x2460, 0x2225, 0xFF5E})), QByteArray("\x87\x40\x81\x61\x81\x60"));
}

// Every character a reader can see is kept, whatever its script; only what cannot be shown
// becomes U+3000, one per character.
TEST(CleanTitleText, KeepsEveryVisibleCharacter) {
    struct Row {
        QString title;
        QString cleaned;
    };
    const QString kept[] = {
        QStringLiteral(u"Café in Zürich — naïve résumé"),
        QStringLiteral(u"Prices – 9 € ™ ©"),
        QStringLiteral(u"서울 뉴스 한국어"),
        QStringLiteral(u"速報 🍣 a𝄞b 🇯🇵"),
        QStringLiteral(u"日本語のニュース　「速報」ｶﾅ ABC why?"),
        // Format characters (joiners, bidi marks) are no control characters.
        QStringLiteral(u"a\u200Db\u200Ec\u00ADd"),
        QString(),
    };
    for (const QString& title : kept) {
        EXPECT_EQ(CleanTitleText(title), title) << title.toStdString();
    }
    const Row rows[] = {
        // The two Japanese replacements.
        {u16({u'A', 0x301C, u'B', u' ', u'1', 0x2212, u'2'}),
         u16({u'A', 0xFF5E, u'B', u' ', u'1', u'-', u'2'})},
        // C0 and C1 controls, DEL, and tab and line ends inside a title.
        {u16({u'a', 0x0001, u'b', 0x001B, 0x007F, 0x0085, 0x009F, u'\t', u'\n', u'c'}),
         u16({u'a', 0x3000, u'b', 0x3000, 0x3000, 0x3000, 0x3000, 0x3000, 0x3000, u'c'})},
        // Lone surrogates, at the end, at the start and reversed; a pair beside them stays.
        {u16({u'x', 0xD83D}), u16({u'x', 0x3000})},
        {u16({0xDE00, u'x', 0xD83D, 0xDE00}), u16({0x3000, u'x', 0xD83D, 0xDE00})},
        {u16({0xDE00, 0xD83D, u'y'}), u16({0x3000, 0x3000, u'y'})},
        // Non-characters, in the BMP and beyond it (U+1FFFE: one character, one space).
        {u16({u'a', 0xFFFE, 0xFFFF, 0xFDD0, 0xFDEF, 0xFDCF, u'b'}),
         u16({u'a', 0x3000, 0x3000, 0x3000, 0x3000, 0xFDCF, u'b'})},
        {u16({u'a', 0xD83F, 0xDFFE, 0xDBFF, 0xDFFF, u'b'}), u16({u'a', 0x3000, 0x3000, u'b'})},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(CleanTitleText(row.title), row.cleaned) << row.title.toStdString();
    }
}

}  // namespace
