#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

#include "common/loopbackserver.h"
#include "common/testenv.h"
#include "platform/xmldocument.h"
#include "platform/qstringprinter.h"

namespace {

QString titleAt(const XmlDocument& xml, int index) {
    return XmlDocument::text(xml.document().elementsByTagName(QStringLiteral("title")).item(index));
}

QByteArray nested(int depth) {
    QByteArray text;
    text.reserve(depth * 7 + 1);
    for (int i = 0; i < depth; ++i) {
        text += "<a>";
    }
    text += "x";
    for (int i = 0; i < depth; ++i) {
        text += "</a>";
    }
    return text;
}

// Nine levels of ten references each: 10^9 "lol"s if expanded.
QByteArray billionLaughs() {
    QByteArray text = "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol0 \"lol\">";
    for (int level = 1; level <= 9; ++level) {
        text += "<!ENTITY lol" + QByteArray::number(level) + " \"";
        for (int i = 0; i < 10; ++i) {
            text += "&lol" + QByteArray::number(level - 1) + ";";
        }
        text += "\">";
    }
    return text + "]><lolz>&lol9;</lolz>";
}

// One entity just under the reader's per-entity cap, referenced many times: small input,
// about 200 million characters if expanded.
QByteArray quadraticBlowup() {
    QByteArray text = "<!DOCTYPE a [<!ENTITY big \"" + QByteArray(4000, 'x') + "\">]><a>";
    for (int i = 0; i < 50'000; ++i) {
        text += "&big;";
    }
    return text + "</a>";
}

// Entities that each refer to the next, far deeper than any real document goes.
QByteArray entityChain() {
    QByteArray text = "<!DOCTYPE a [";
    const int length = 20'000;
    for (int i = 0; i < length; ++i) {
        text += "<!ENTITY e" + QByteArray::number(i) + " \"&e" + QByteArray::number(i + 1) + ";\">";
    }
    text += "<!ENTITY e" + QByteArray::number(length) + " \"end\">]><a>&e0;</a>";
    return text;
}

class XmlDocumentTest : public ::testing::Test {
protected:
    QString writeFile(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    QByteArray readFile(const QString& name) {
        QFile file(dir.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir;
};

TEST_F(XmlDocumentTest, DecodesTheEncodingTheDeclarationNames) {
    struct Case {
        const char* file;
        QString channelTitle;
        QString secondItemTitle;
    };
    const Case cases[] = {
        {"rss20_shift_jis.xml", QStringLiteral(u"テスト新聞～速報"),
         QStringLiteral(u"髙橋さんが受賞 ― 表彰式は来月")},
        {"rss20_euc_jp.xml", QStringLiteral(u"テスト新聞・速報"), QStringLiteral(u"表彰式は来月")},
        {"rss20_iso_8859_1.xml", QStringLiteral(u"Le Café du Matin"),
         QStringLiteral(u"Straße über München")},
        {"rss20_utf16le_bom.xml", QStringLiteral(u"テスト新聞～速報"),
         QStringLiteral(u"絵文字 \U0001F338 入り")},
        {"rss20_utf16be.xml", QStringLiteral(u"テスト新聞～速報"),
         QStringLiteral(u"絵文字 \U0001F338 入り")},
    };
    for (const Case& c : cases) {
        XmlDocument xml;
        ASSERT_TRUE(xml.load(testDataPath(QString::fromLatin1(c.file))))
            << c.file << ": " << xml.errorString().toStdString();
        EXPECT_EQ(titleAt(xml, 0), c.channelTitle) << c.file;
        EXPECT_EQ(titleAt(xml, 2), c.secondItemTitle) << c.file;
    }
    // Vendor characters of the Windows code page (NEC row 13) under the plain name.
    XmlDocument xml;
    ASSERT_TRUE(xml.load(testDataPath(QStringLiteral("rss20_shift_jis.xml"))));
    EXPECT_EQ(
        XmlDocument::text(xml.document().elementsByTagName(QStringLiteral("description")).item(0)),
        QStringLiteral(u"日本語のフィード①"));
}

TEST_F(XmlDocumentTest, LoadsLocalPathsAndFileUrlsOnly) {
    const QByteArray feed = "<rss><channel><title>t</title></channel></rss>";
    const QString spaced = writeFile(QStringLiteral("my feed.xml"), feed);
    QDir(dir.path()).mkdir(QStringLiteral("folder"));
    writeFile(QStringLiteral("big.xml"), "<a>" + QByteArray(2000, 'x') + "</a>");
    FetchOptions small;
    small.maxBytes = 1000;

    struct Case {
        QString location;
        bool expected;
    };
    const Case cases[] = {
        {spaced, true},
        {QUrl::fromLocalFile(spaced).toString(), true},  // file:///…/my%20feed.xml
        {QStringLiteral("file:") + spaced, true},
        {dir.filePath(QStringLiteral("missing.xml")), false},
        {dir.filePath(QStringLiteral("folder")), false},
        {QStringLiteral("/dev/zero"), false},  // not a regular file: would never end
        {QStringLiteral("file:///dev/zero"), false},
        {QStringLiteral("ftp://127.0.0.1/feed.xml"), false},
        {QStringLiteral("javascript:alert(1)"), false},
        {QString(), false},
    };
    for (const Case& c : cases) {
        XmlDocument xml;
        EXPECT_EQ(xml.load(c.location), c.expected) << c.location.toStdString();
        EXPECT_EQ(xml.document().isNull(), !c.expected) << c.location.toStdString();
    }
    XmlDocument capped(small);
    EXPECT_FALSE(capped.load(dir.filePath(QStringLiteral("big.xml"))));
}

TEST_F(XmlDocumentTest, PresentsTheTreeTheReadersRelyOn) {
    XmlDocument xml;
    ASSERT_TRUE(xml.loadXML(QStringLiteral(
        "<?xml version=\"1.0\"?>\n<!-- top -->\n<rdf:RDF xmlns:rdf=\"urn:x\" xmlns=\"urn:y\">\n"
        "  <item a:text=\"v &amp; w\" B:Attr=\"1\">\n"
        "    <title>A &lt;b&gt; &#x3042;<![CDATA[<raw>]]><b>inner</b> tail</title>\n"
        "    <!-- note -->\n"
        "    <?pi data?>\n"
        "  </item>\n"
        "</rdf:RDF>")));

    const QDomNodeList top = xml.childNodes();
    ASSERT_EQ(top.length(), 3);  // the declaration, the comment, the root
    EXPECT_TRUE(top.item(1).isComment());
    const QDomNode root = top.item(2);
    EXPECT_EQ(XmlDocument::baseName(root), QStringLiteral("RDF"));

    // White-space-only text between elements is not a child; comments and PIs are.
    const QDomNode item = root.firstChild();
    EXPECT_EQ(root.childNodes().length(), 1);
    ASSERT_EQ(item.childNodes().length(), 3);
    EXPECT_TRUE(item.childNodes().item(1).isComment());
    EXPECT_TRUE(item.childNodes().item(2).isProcessingInstruction());
    for (const QDomNode& node : {item.childNodes().item(1), item.childNodes().item(2)}) {
        EXPECT_TRUE(XmlDocument::baseName(node).isEmpty());
    }

    const QDomNamedNodeMap attributes = item.attributes();
    ASSERT_EQ(attributes.length(), 2);
    EXPECT_EQ(XmlDocument::baseName(attributes.namedItem(QStringLiteral("a:text"))),
              QStringLiteral("text"));
    EXPECT_EQ(XmlDocument::text(attributes.namedItem(QStringLiteral("a:text"))),
              QStringLiteral("v & w"));
    EXPECT_EQ(XmlDocument::baseName(attributes.namedItem(QStringLiteral("B:Attr"))),
              QStringLiteral("Attr"));

    // Entities decoded, CDATA kept, descendants joined, comments left out.
    EXPECT_EQ(XmlDocument::text(item), QStringLiteral(u"A <b> あ<raw>inner tail"));
    EXPECT_EQ(XmlDocument::text(xml.document()), XmlDocument::text(item));
    EXPECT_EQ(xml.document().elementsByTagName(QStringLiteral("title")).length(), 1);
    EXPECT_EQ(xml.document().elementsByTagName(QStringLiteral("Title")).length(), 0);
}

TEST_F(XmlDocumentTest, SpellsOutLatin1EntitiesOfAnUnfetchedDtd) {
    XmlDocument xml;
    ASSERT_TRUE(xml.loadXML(
        QStringLiteral("<!DOCTYPE rss PUBLIC \"-//Netscape Communications//DTD RSS 0.91//EN\" "
                       "\"http://127.0.0.1:9/rss-0.91.dtd\">"
                       "<rss><title>Caf&eacute;&nbsp;&copy;&yuml;&unknown;!</title></rss>")));
    EXPECT_EQ(XmlDocument::text(xml.document().documentElement()),
              QStringLiteral(u"Caf\u00e9\u00a0\u00a9\u00ff!"));
}

TEST_F(XmlDocumentTest, MalformedInputFailsAndLeavesNothing) {
    const QByteArray cases[] = {
        "",
        "<a><b></a>",
        "<a>&undeclared;</a>",
        "<a/><b/>",
        "<?xml version=\"1.0\" encoding=\"no-such-charset\"?><a/>",
    };
    for (const QByteArray& bytes : cases) {
        XmlDocument xml;
        EXPECT_FALSE(xml.load(writeFile(QStringLiteral("bad.xml"), bytes))) << bytes.constData();
        EXPECT_TRUE(xml.document().isNull());
        EXPECT_FALSE(xml.errorString().isEmpty());
    }
}

TEST_F(XmlDocumentTest, RefusesEntityExpansionAttacks) {
    for (const QByteArray& bomb : {billionLaughs(), quadraticBlowup(), entityChain()}) {
        XmlDocument fromFile;
        EXPECT_FALSE(fromFile.load(writeFile(QStringLiteral("bomb.xml"), bomb)));
        EXPECT_TRUE(fromFile.document().isNull());
        XmlDocument fromText;
        EXPECT_FALSE(fromText.loadXML(QString::fromLatin1(bomb)));
    }
    // Internal entities of ordinary size still work.
    XmlDocument xml;
    ASSERT_TRUE(
        xml.loadXML(QStringLiteral("<!DOCTYPE a [<!ENTITY co \"Quorvane\">]><a>&co;&co;</a>")));
    EXPECT_EQ(XmlDocument::text(xml.document().documentElement()),
              QStringLiteral("QuorvaneQuorvane"));
}

TEST_F(XmlDocumentTest, DeepNestingIsRefusedWithoutHarm) {
    struct Case {
        int depth;
        bool expected;
    };
    for (const Case c : {Case{XmlDocument::kMaxElementDepth, true},
                         Case{XmlDocument::kMaxElementDepth + 1, false}, Case{20'000, false}}) {
        const QByteArray text = nested(c.depth);
        {
            XmlDocument fromFile;
            EXPECT_EQ(fromFile.load(writeFile(QStringLiteral("deep.xml"), text)), c.expected)
                << c.depth;
            if (c.expected) {
                EXPECT_EQ(XmlDocument::text(fromFile.document().documentElement()),
                          QStringLiteral("x"));
                EXPECT_TRUE(fromFile.save(dir.filePath(QStringLiteral("deep-out.xml"))));
            }
        }  // the whole life cycle, destruction included
        XmlDocument fromText;
        EXPECT_EQ(fromText.loadXML(QString::fromLatin1(text)), c.expected) << c.depth;
    }
}

TEST_F(XmlDocumentTest, NeverFetchesExternalEntitiesOrDtds) {
    LoopbackServer server;
    ASSERT_TRUE(server.isListening());
    server.serve(QStringLiteral("/secret"), "LEAKED");
    server.serve(QStringLiteral("/dtd"), "<!ENTITY leak \"LEAKED\">");
    const QByteArray secret = "SECRET-CONTENT";
    const QString secretPath = writeFile(QStringLiteral("secret.txt"), secret);

    const QByteArray documents[] = {
        "<!DOCTYPE a [<!ENTITY x SYSTEM \"" + QUrl::fromLocalFile(secretPath).toEncoded() +
            "\">]><a>[&x;]</a>",
        "<!DOCTYPE a [<!ENTITY x SYSTEM \"" + server.url("/secret").toLatin1() +
            "\">]><a>[&x;]</a>",
        "<!DOCTYPE a SYSTEM \"" + server.url("/dtd").toLatin1() + "\"><a>[&leak;]</a>",
        "<!DOCTYPE a [<!ENTITY % p SYSTEM \"" + server.url("/dtd").toLatin1() +
            "\"> %p;]><a>[&leak;]</a>",
    };
    for (const QByteArray& bytes : documents) {
        server.serve(QStringLiteral("/doc.xml"), bytes);
        // Loading may succeed or fail; either way nothing outside the document gets in.
        XmlDocument viaHttp;
        XmlDocument viaText;
        static_cast<void>(viaHttp.load(server.url(QStringLiteral("/doc.xml"))));
        viaText.loadXML(QString::fromUtf8(bytes));
        for (const XmlDocument* xml : {&viaHttp, &viaText}) {
            const QString text = XmlDocument::text(xml->document().documentElement());
            EXPECT_FALSE(text.contains(QStringLiteral("LEAKED"))) << bytes.constData();
            EXPECT_FALSE(text.contains(QStringLiteral("SECRET"))) << bytes.constData();
        }
    }
    EXPECT_EQ(server.requestCount(QStringLiteral("/secret")), 0);
    EXPECT_EQ(server.requestCount(QStringLiteral("/dtd")), 0);
    EXPECT_EQ(server.requests().size(), 4);
}

TEST_F(XmlDocumentTest, SavesTheGivenTextUnchangedInUtf8) {
    const QString text = QStringLiteral(
        u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<opml version=\"1.0\">\n"
        u"  <head><title>サイト一覧</title></head>\n  <body><outline text=\"a &amp; b\"/></body>\n"
        u"</opml>\n");
    XmlDocument xml;
    ASSERT_TRUE(xml.loadXML(text));
    ASSERT_TRUE(xml.save(dir.filePath(QStringLiteral("out.opml"))));
    EXPECT_EQ(readFile(QStringLiteral("out.opml")), text.toUtf8());
}

TEST_F(XmlDocumentTest, AFailedLoadNeverOverwritesAFile) {
    const QByteArray previous = "<opml>previous</opml>";
    const QString path = writeFile(QStringLiteral("list.opml"), previous);
    XmlDocument fromText;
    fromText.loadXML(QStringLiteral("<opml><body></opml>"));
    EXPECT_FALSE(fromText.save(path));
    XmlDocument fromFile;
    EXPECT_FALSE(fromFile.load(dir.filePath(QStringLiteral("missing.xml"))));
    EXPECT_FALSE(fromFile.save(path));
    EXPECT_EQ(readFile(QStringLiteral("list.opml")), previous);
}

TEST_F(XmlDocumentTest, SavedBytesMatchTheirDeclaration) {
    // A loaded Shift_JIS document is written back in Shift_JIS and reads back the same.
    XmlDocument sjis;
    ASSERT_TRUE(sjis.load(testDataPath(QStringLiteral("rss20_shift_jis.xml"))));
    ASSERT_TRUE(sjis.save(dir.filePath(QStringLiteral("sjis.xml"))));
    EXPECT_TRUE(readFile(QStringLiteral("sjis.xml")).contains("\x93\x8C\x8B\x9E"));  // 東京
    XmlDocument reread;
    ASSERT_TRUE(reread.load(dir.filePath(QStringLiteral("sjis.xml"))));
    EXPECT_EQ(titleAt(reread, 2), titleAt(sjis, 2));

    // A declaration naming a charset that cannot hold the text becomes UTF-8.
    XmlDocument latin;
    ASSERT_TRUE(latin.loadXML(
        QStringLiteral(u"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>日本 é</a>")));
    ASSERT_TRUE(latin.save(dir.filePath(QStringLiteral("latin.xml"))));
    EXPECT_EQ(readFile(QStringLiteral("latin.xml")),
              QStringLiteral(u"<?xml version=\"1.0\" encoding=\"UTF-8\"?><a>日本 é</a>").toUtf8());
}

}  // namespace
