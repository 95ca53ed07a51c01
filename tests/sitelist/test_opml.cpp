#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QUrl>

#include "tests/common/testenv.h"
#include "tests/sitelist/generatedlist.h"
#include "platform/xml/safexmlstream.h"
#include "sitelist/opml.h"
#include "sitelist/opmlreader.h"

namespace {

// What the writer puts before the outlines.
const QByteArray kHead =
    "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"?>\r\n"
    "<opml version=\"1.1\">\r\n"
    " <head>\r\n"
    "  <title>Quorvane OPMLリスト</title>\r\n"
    "  <ownername>Tallowmere.</ownername>\r\n"
    "  <owneremail>support@quorvane.example.jp</owneremail>\r\n"
    " </head>\r\n"
    " <body>\r\n";
const QByteArray kTail = " </body>\r\n</opml>\r\n";

QByteArray opmlWithBody(const QByteArray& body) {
    return "<?xml version=\"1.0\"?>\n<opml version=\"1.1\"><head/><body>\n" + body +
           "\n</body></opml>\n";
}

// Every row as "key|parent key|kind|title|homepage|feed", with the node's text and image
// checked against the row.
QStringList listOf(const AppState& state) {
    QStringList rows;
    EXPECT_EQ(state.siteTree.nodeCount(), state.SiteTable.size());
    for (int i = 0; i < state.SiteTable.size(); ++i) {
        const SiteRow& row = state.SiteTable[i];
        const SiteTree::Node* node = state.siteTree.find(keyOfIndex(i));
        if (!node) {
            rows << keyOfIndex(i) + QStringLiteral(" has no node");
            continue;
        }
        EXPECT_EQ(node->text, row.strTitle) << qPrintable(node->key);
        EXPECT_EQ(node->image, row.intKind) << qPrintable(node->key);
        EXPECT_FALSE(row.blnDeleted);
        rows << QStringList{node->key,
                            node->parent ? node->parent->key : QString(),
                            QString::number(row.intKind),
                            row.strTitle,
                            row.strHtmlUrl,
                            row.strXmlUrl}
                    .join(QLatin1Char('|'));
    }
    return rows;
}

QString addEntry(AppState& state, const QString& parentKey, qint16 kind, const QString& title,
                 const QString& htmlUrl = {}, const QString& xmlUrl = {}) {
    const int index = state.SiteTable.append(SiteRow{kind, false, title, htmlUrl, xmlUrl});
    const QString key = keyOfIndex(index);
    EXPECT_NE(state.siteTree.addNode(parentKey, key, title, kind), nullptr);
    return key;
}

QByteArray flatOutlines(int count) {
    QByteArray body;
    for (int i = 0; i < count; ++i) {
        body += "<outline text=\"" + QByteArray::number(i) + "\"/>\n";
    }
    return opmlWithBody(body);
}

}  // namespace

TEST(OpmlRead, EntriesKindsAndKeys) {
    struct Case {
        const char* name;
        QByteArray body;
        QStringList rows;
    };
    const QList<Case> cases{
        {"folder with a site",
         R"(<outline text="News"><outline text="A" htmlUrl="h" xmlUrl="x"/></outline>)",
         {"R0||1|News||", "R1|R0|2|A|h|x"}},
        {"pre-order keys",
         R"(<outline text="F"><outline text="F1"><outline text="s" xmlUrl="1"/></outline>)"
         R"(<outline text="t" xmlUrl="2"/></outline><outline text="u" xmlUrl="3"/>)",
         {"R0||1|F||", "R1|R0|1|F1||", "R2|R1|2|s||1", "R3|R0|2|t||2", "R4||2|u||3"}},
        {"names matched without case or prefix",
         R"(<outline a:TEXT="t" HTMLURL="h" XMLURL="x"/><outline text="u" xmlurl=""/>)",
         {"R0||2|t|h|x", "R1||2|u||"}},
        {"homepage alone makes no site", R"(<outline text="f" htmlUrl="h"/>)", {"R0||1|f|h|"}},
        {"title is not the text", R"(<outline title="T" type="rss"/>)", {"R0||1|||"}},
        {"any element name", R"(<item text="i" xmlUrl="x"/>)", {"R0||2|i||x"}},
        {"entities and white space kept",
         R"(<outline text=" A &amp; B&#10;" xmlUrl="&lt;"/>)",
         {"R0||2| A & B\n||<"}},
        {"empty body", "", {}},
        {"comments and processing instructions skipped",
         R"(<!-- c --><?pi x?><outline text="a"><!-- inside --></outline><?end?>)",
         {"R0||1|a||"}},
        {"blank CDATA skipped", R"(<outline text="a"/><![CDATA[  ]]>)", {"R0||1|a||"}},
    };
    for (const Case& c : cases) {
        TestEnv env;
        env.writeFile(QStringLiteral("list.opml"), opmlWithBody(c.body));
        ASSERT_TRUE(LoadOpml(env.state(), env.path(QStringLiteral("list.opml")))) << c.name;
        EXPECT_EQ(listOf(env.state()), c.rows) << c.name;
        EXPECT_TRUE(env.state().blnSiteListFlg) << c.name;
        EXPECT_TRUE(env.messageBox.shown.isEmpty()) << c.name;
    }
}

TEST(OpmlRead, NestedFixtureAndFirstBodyAnywhere) {
    TestEnv env;
    ASSERT_TRUE(LoadOpml(env.state(), testDataPath(QStringLiteral("nested.opml"))));
    EXPECT_EQ(listOf(env.state()),
              (QStringList{"R0||1|Top||", "R1|R0|1|Middle||",
                           "R2|R1|2|Feed & Co|http://h.example/|http://x.example/?a=1&b=2",
                           "R3|R0|1||http://home.example/|", "R4||2|Site with children||",
                           "R5|R4|2|Under a site||http://u.example/"}));

    env.writeFile(QStringLiteral("two.opml"),
                  R"(<opml><head><body><outline text="first"/></body></head>)"
                  R"(<body><outline text="second"/></body></opml>)");
    ASSERT_TRUE(LoadOpml(env.state(), env.path(QStringLiteral("two.opml"))));
    EXPECT_EQ(listOf(env.state()), QStringList{"R0||1|first||"});
}

// The DOM forgets attribute order; the later of two attributes naming one field must win
// all the same, in either order.
TEST(OpmlRead, LaterDuplicateAttributeWins) {
    TestEnv env;
    env.writeFile(
        QStringLiteral("dup.opml"),
        opmlWithBody(R"(<outline xmlUrl="1" a="" XMLURL="2" b:xmlurl="3" text="t"/>)"
                     "\n  "
                     R"(<outline b:xmlurl="3" XMLURL="2" xmlUrl="1" TEXT="x" text="y"/>)"));
    ASSERT_TRUE(LoadOpml(env.state(), env.path(QStringLiteral("dup.opml"))));
    EXPECT_EQ(listOf(env.state()), (QStringList{"R0||2|t||3", "R1||2|y||1"}));
}

TEST(OpmlRead, FailedLoadLeavesThePreviousList) {
    const QList<QByteArray> bad{
        "",
        "<opml><body><outline text=\"x\"></body></opml>",
        "<opml><head/></opml>",
        "<opml><Body><outline text=\"x\"/></Body></opml>",
        opmlWithBody("<outline text=\"a\"/>stray<outline text=\"b\"/>"),
        opmlWithBody("<outline text=\"a\">a note</outline>"),
        opmlWithBody("<outline text=\"a\"/><![CDATA[x]]>"),
        flatOutlines(kMaxOpmlEntries + 1),
    };
    TestEnv env;
    AppState& state = env.state();
    ASSERT_TRUE(LoadOpml(state, testDataPath(QStringLiteral("nested.opml"))));
    state.siteTree.moveNode(state.siteTree.find(QStringLiteral("R3")), nullptr);
    const QStringList before = listOf(state);
    for (const bool flag : {true, false}) {
        state.blnSiteListFlg = flag;
        for (const QByteArray& bytes : bad) {
            env.writeFile(QStringLiteral("bad.opml"), bytes);
            EXPECT_FALSE(LoadOpml(state, env.path(QStringLiteral("bad.opml"))))
                << bytes.left(80).toStdString();
            EXPECT_EQ(listOf(state), before) << bytes.left(80).toStdString();
            EXPECT_EQ(state.blnSiteListFlg, flag);
        }
    }
    EXPECT_EQ(state.siteTree.topLevelNodes().size(), 3);
    EXPECT_TRUE(env.messageBox.shown.isEmpty());
}

// Lists are held to the XML layer's rules, and a refused list says why and where.
TEST(OpmlRead, HostileOrBrokenListsAreRefusedWithTheReason) {
    TestEnv env;
    const QString secret = env.path(QStringLiteral("secret.txt"));
    env.writeFile(QStringLiteral("secret.txt"), "SECRET");
    QByteArray laughs = "<!DOCTYPE opml [<!ENTITY l0 \"lol\">";
    for (int level = 1; level <= 9; ++level) {
        laughs += "<!ENTITY l" + QByteArray::number(level) + " \"" +
                  QByteArray("&l" + QByteArray::number(level - 1) + ";").repeated(10) + "\">";
    }
    laughs += "]><opml><body><outline text=\"&l9;\"/></body></opml>";
    const QByteArray external = "<!DOCTYPE opml [<!ENTITY x SYSTEM \"" +
                                QUrl::fromLocalFile(secret).toEncoded() + "\">]><opml><body>";
    using Kind = OpmlLoadError::Kind;
    struct Case {
        QByteArray bytes;
        Kind kind;
        qint64 line;  // 0: not looked at
    };
    const Case cases[] = {
        {laughs, Kind::EntityExpansion, 0},
        {"<opml><body>" + QByteArray("<outline>").repeated(SafeXmlStream::kMaxElementDepth - 1),
         Kind::TooDeep, 1},
        {external + "<outline text=\"&x;\"/></body></opml>", Kind::Malformed, 1},
        {"<opml><head/></opml>", Kind::NoBody, 0},
        {"<opml><body>\n<outline text=\"a\"/>\nstray</body></opml>", Kind::TextAmongOutlines, 3},
        {"<opml><body>\n<outline text=\"a\">\n</body></opml>", Kind::Malformed, 3},
        {flatOutlines(kMaxOpmlEntries + 1), Kind::TooManyEntries, kMaxOpmlEntries + 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.left(60).toStdString());
        env.writeFile(QStringLiteral("bad.opml"), c.bytes);
        OpmlLoadError error;
        EXPECT_FALSE(LoadOpml(env.state(), env.path(QStringLiteral("bad.opml")), &error));
        EXPECT_EQ(error.kind, c.kind);
        if (c.line > 0) {
            EXPECT_EQ(error.line, c.line);
        }
        EXPECT_FALSE(error.reason().isEmpty());
        EXPECT_EQ(env.readFile(QStringLiteral("bad.opml")), c.bytes);
    }
    EXPECT_EQ(env.state().siteTree.nodeCount(), 0);

    // An external entity is never fetched: it adds nothing.
    env.writeFile(QStringLiteral("external.opml"),
                  external + "&x;<outline text=\"a\"/>&x;</body></opml>");
    ASSERT_TRUE(LoadOpml(env.state(), env.path(QStringLiteral("external.opml"))));
    EXPECT_EQ(listOf(env.state()), QStringList{"R0||1|a||"});

    // Over the size limit of XML documents.
    env.state().fetchOptions.maxBytes = 100;
    env.writeFile(QStringLiteral("big.opml"), flatOutlines(10));
    OpmlLoadError error;
    EXPECT_FALSE(LoadOpml(env.state(), env.path(QStringLiteral("big.opml")), &error));
    EXPECT_EQ(error.kind, Kind::TooLarge);
}

// Lists as this program and others write them take the plain scan; anything it is not sure
// of, and anything broken, is left to the XML reader. Where the scan reads a list, the XML
// reader reads the same.
TEST(OpmlRead, PlainScanAgreesWithTheXmlReader) {
    const QByteArray site =
        "  <outline text=\"日本 &amp; &lt;b&gt; &quot;q&quot; &apos;a&apos; &#12354;&#x3042;\" "
        "title=\"x\" type=\"rss\" version=\"RSS\" htmlUrl=\"https://a.example.jp/?a=1&amp;b=2\" "
        "xmlUrl=\"https://a.example.jp/rss\" />\r\n";
    struct Case {
        QByteArray bytes;
        bool plain;     // taken by the scan
        bool readable;  // read by the XML reader
    };
    const Case cases[] = {
        {kHead + "  <outline text=\"フォルダ\">\r\n" + site + "  </outline>\r\n" + site + kTail,
         true, true},
        {"\xEF\xBB\xBF<!-- list -->\n<opml>\n<head><title>a &amp; b &#10;</title></head>"
         "<body>\n\t<outline TEXT = 'one' q:text='two' xmlUrl=''/><!-- c -->\n"
         "<o text=\"f\"><outline htmlUrl=\"h\" text=\"s\" xmlUrl=\"x\"></outline></o>\n"
         "</body><after><body><outline text=\"not read\"/></body></after></opml>\n<!-- end -->",
         true, true},
        {"<opml><head><body><outline text=\"in head\"/></body></head></opml>", true, true},
        {"<?xml version='1.0' standalone='no' ?><opml><body/></opml>", true, true},
        // Readable, but left to the XML reader.
        {opmlWithBody("<outline text=\"a\nb\"/>"), false, true},
        {opmlWithBody("<outline text=\"a&#10;b\"/>"), false, true},
        {opmlWithBody("<outline text=\"a\xEF\xBB\xBF\"/>"), false, true},
        {opmlWithBody("<![CDATA[ ]]><outline text=\"a\"/><?pi x?>"), false, true},
        {"<!DOCTYPE opml><opml><body><outline text=\"a\"/></body></opml>", false, true},
        {"<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><opml><body><outline text=\"\x93\xfa\"/>"
         "</body></opml>",
         false, true},
        {"<opml><body><サイト text=\"a\"/></body></opml>", false, true},
        {"<opml xmlns:q=\"urn:q\"><body><outline q:text=\"a\"/></body></opml>", false, true},
        // Broken: neither reads them.
        {opmlWithBody("<outline text=\"a\"></outlin>"), false, false},
        {opmlWithBody("<outline text=\"a\" text=\"b\"/>"), false, false},
        {opmlWithBody("<outline text=\"a\"xmlUrl=\"b\"/>"), false, false},
        {opmlWithBody("<outline text=\"&nbsp;\"/>"), false, false},
        {opmlWithBody("<outline text=\"a<b\"/>"), false, false},
        {opmlWithBody("<outline text=\"\x01\"/>"), false, false},
        {opmlWithBody("<outline text=\"\xFF\"/>"), false, false},
        {opmlWithBody("<outline text=\"&#0;\"/>"), false, false},
        {opmlWithBody("<!-- a -- b -->"), false, false},
        {opmlWithBody("stray"), false, false},
        {"<opml><head><title>]]></title></head><body/></opml>", false, false},
        {"<opml><body><outline text=\"a\"/></body>", false, false},
        {"<opml><body/></opml><opml/>", false, false},
        {"<opml><head/></opml>", false, false},
        {"<?xml version='1.0' encoding?><opml><body/></opml>", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.toStdString());
        const std::optional<OpmlList> scanned = readPlainOpml(c.bytes);
        const OpmlList read = readOpmlWithXmlReader(c.bytes);
        EXPECT_EQ(scanned.has_value(), c.plain);
        EXPECT_EQ(read.ok, c.readable);
        if (scanned) {
            EXPECT_TRUE(sameEntries(*scanned, read));
        }
    }
}

TEST(OpmlRead, LargestListLoads) {
    TestEnv env;
    env.writeFile(QStringLiteral("max.opml"), flatOutlines(kMaxOpmlEntries));
    ASSERT_TRUE(LoadOpml(env.state(), env.path(QStringLiteral("max.opml"))));
    EXPECT_EQ(env.state().SiteTable.size(), kMaxOpmlEntries);
    EXPECT_EQ(env.state().siteTree.nodeAt(kMaxOpmlEntries)->key, QStringLiteral("R32766"));
}

TEST(OpmlRead, MissingFileIsReported) {
    TestEnv env;
    ASSERT_TRUE(LoadOpml(env.state(), testDataPath(QStringLiteral("nested.opml"))));
    EXPECT_FALSE(LoadOpml(env.state(), env.path(QStringLiteral("absent.opml"))));
    ASSERT_EQ(env.messageBox.shown.size(), 1);
    const FakeMessageBox::Shown& shown = env.messageBox.shown.first();
    EXPECT_EQ(shown.text, QStringLiteral("OPMLファイルが見つかりません"));
    EXPECT_EQ(shown.title, QStringLiteral("Quorvane3"));
    EXPECT_EQ(shown.buttons, MsgButtons::Ok);
    EXPECT_EQ(shown.icon, MsgIcon::Warning);
    EXPECT_EQ(env.state().SiteTable.size(), 6);
    EXPECT_TRUE(env.state().blnSiteListFlg);
}

TEST(OpmlWrite, XmlEscape) {
    const QList<std::pair<QString, QString>> cases{
        {"", ""},
        {R"(A & B <c> "d" 'e')", R"(A &amp; B &lt;c&gt; &quot;d&quot; 'e')"},
        {"&amp;", "&amp;amp;"},
        {"国内ニュース\t", "国内ニュース\t"},
    };
    for (const auto& [text, escaped] : cases) {
        EXPECT_EQ(XmlEscape(text), escaped) << qPrintable(text);
    }
}

TEST(OpmlWrite, ExactText) {
    TestEnv env;
    AppState& state = env.state();
    ASSERT_TRUE(SaveOpml(state, env.path(QStringLiteral("empty.opml"))));
    EXPECT_EQ(env.readFile(QStringLiteral("empty.opml")), kHead + kTail);

    const QString news = addEntry(state, QStringLiteral("R"), kKindFolder, QStringLiteral("News"));
    addEntry(state, news, kKindSite, QStringLiteral("A & B"), QStringLiteral("h"),
             QStringLiteral("x?a=1&b=2"));
    const QString empty =
        addEntry(state, QStringLiteral("R"), kKindFolder, QStringLiteral("It's empty"));
    ASSERT_TRUE(SaveOpml(state, env.path(QStringLiteral("news.opml"))));
    const QByteArray outlines =
        "  <outline text=\"News\">\r\n"
        "   <outline text=\"A &amp; B\" title=\"A &amp; B\" type=\"rss\" version=\"RSS\" "
        "htmlUrl=\"h\" xmlUrl=\"x?a=1&amp;b=2\" />\r\n"
        "  </outline>\r\n"
        "  <outline text=\"It's empty\">\r\n"
        "  </outline>\r\n";
    EXPECT_EQ(env.readFile(QStringLiteral("news.opml")), kHead + outlines + kTail);
    EXPECT_EQ(OutlineChildrenText(state, empty, 3), QString());
}

TEST(OpmlWrite, DefaultListSavesBackByteForByte) {
    TestEnv env;
    const QString source = QStringLiteral(QV_DEFAULT_LIST_PATH);
    ASSERT_TRUE(LoadOpml(env.state(), source));
    ASSERT_TRUE(SaveOpml(env.state(), env.path(QStringLiteral("out.opml"))));
    QFile original(source);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    EXPECT_EQ(env.readFile(QStringLiteral("out.opml")), original.readAll());
}

TEST(OpmlWrite, RoundTripKeepsEveryTitleAndUrl) {
    const QStringList texts{
        R"(A & B)",    R"(<b>bold</b>)",     R"(say "hi")",   R"(it's)",
        "&amp; as is", "国内ニュース　全角", " padded  ",     "tab\tin",
        "two\nlines",  "cr\rlf\r\n",         "😀 outside BMP", "",
    };
    TestEnv env;
    AppState& state = env.state();
    const QString folder = addEntry(state, QStringLiteral("R"), kKindFolder, QStringLiteral("F"));
    for (const QString& text : texts) {
        addEntry(state, folder, kKindSite, text, QStringLiteral("http://h/?q=") + text,
                 QStringLiteral("http://x/?a=1&b=") + text);
    }
    const QStringList expected = listOf(state);
    ASSERT_TRUE(SaveOpml(state, env.path(QStringLiteral("a.opml"))));
    ASSERT_TRUE(LoadOpml(state, env.path(QStringLiteral("a.opml"))));
    EXPECT_EQ(listOf(state), expected);
    ASSERT_TRUE(SaveOpml(state, env.path(QStringLiteral("b.opml"))));
    EXPECT_EQ(env.readFile(QStringLiteral("a.opml")), env.readFile(QStringLiteral("b.opml")));
}

TEST(OpmlWrite, CharactersXmlForbidsAreLeftOut) {
    const QList<std::pair<QString, QString>> cases{
        {QString::fromUtf16(u"a\u0001b\u001Fc"), "abc"},
        {QString(QChar(0)) + "nul", "nul"},
        {QString::fromUtf16(u"d\uFFFEe\uFFFFf"), "def"},
        {QStringLiteral("g") + QChar(0xD800) + "h" + QChar(0xDC00), "gh"},
    };
    TestEnv env;
    AppState& state = env.state();
    QStringList expected;
    for (const auto& [title, kept] : cases) {
        const QString key = addEntry(state, QStringLiteral("R"), kKindSite, title, title, title);
        expected << QStringList{key, "", "2", kept, kept, kept}.join(QLatin1Char('|'));
    }
    ASSERT_TRUE(SaveOpml(state, env.path(QStringLiteral("c.opml"))));
    ASSERT_TRUE(LoadOpml(state, env.path(QStringLiteral("c.opml"))));
    EXPECT_EQ(listOf(state), expected);
}

// Siblings come out in creation order, deleted entries drop out with their subtrees, and a
// site's children are not written.
TEST(OpmlWrite, WhatIsWrittenAndInWhichOrder) {
    TestEnv env;
    AppState& state = env.state();
    const QString top = addEntry(state, QStringLiteral("R"), kKindFolder, QStringLiteral("Top"));
    const QString a = addEntry(state, top, kKindSite, QStringLiteral("A"));
    addEntry(state, top, kKindSite, QStringLiteral("B"));
    const QString gone = addEntry(state, top, kKindFolder, QStringLiteral("Gone"));
    addEntry(state, gone, kKindSite, QStringLiteral("Under gone"));
    const QString site = addEntry(state, top, kKindSite, QStringLiteral("Site"));
    addEntry(state, site, kKindSite, QStringLiteral("Under site"));
    const QString deletedSite = addEntry(state, top, kKindSite, QStringLiteral("Deleted"));
    // A moves away and back: shown last in Top, still first in the collection.
    state.siteTree.moveNode(state.siteTree.find(a), nullptr);
    state.siteTree.moveNode(state.siteTree.find(a), state.siteTree.find(top));
    state.SiteTable[indexOfKey(gone)].blnDeleted = true;
    state.SiteTable[indexOfKey(deletedSite)].blnDeleted = true;
    const int rows = state.SiteTable.size();

    const QString site5 =
        R"(<outline text="%1" title="%1" type="rss" version="RSS" htmlUrl="" xmlUrl="" />)";
    const QString contents = "    " + site5.arg("A") + "\r\n    " + site5.arg("B") + "\r\n    " +
                             site5.arg("Site") + "\r\n";
    EXPECT_EQ(OutlineChildrenText(state, top, 4), contents);

    ASSERT_TRUE(SaveOpml(state, env.path(QStringLiteral("o.opml"))));
    const QByteArray expected = kHead + "  <outline text=\"Top\">\r\n" +
                                contents.toUtf8().replace("    ", "   ") + "  </outline>\r\n" +
                                kTail;
    EXPECT_EQ(env.readFile(QStringLiteral("o.opml")), expected);
    EXPECT_EQ(state.SiteTable.size(), rows);
    EXPECT_EQ(state.SiteTable[indexOfKey(gone) + 1].strTitle, QStringLiteral("Under gone"));
}

TEST(OpmlWrite, UnwritablePathFails) {
    TestEnv env;
    addEntry(env.state(), QStringLiteral("R"), kKindFolder, QStringLiteral("F"));
    EXPECT_FALSE(SaveOpml(env.state(), env.path(QStringLiteral("no/such/dir/x.opml"))));
    EXPECT_FALSE(SaveOpml(env.state(), env.dir()));
}

TEST(OpmlProbe, ListsRowsResavesAndReportsFailures) {
    TestEnv env;
    const auto run = [](const QStringList& args) {
        QProcess probe;
        probe.start(QStringLiteral(QV_PROBE_PATH), args);
        EXPECT_TRUE(probe.waitForFinished(30000));
        return std::make_pair(probe.exitCode(), probe.readAllStandardOutput());
    };
    const QString nested = testDataPath(QStringLiteral("nested.opml"));
    const auto [listed, output] = run({QStringLiteral("opml"), nested});
    EXPECT_EQ(listed, 0);
    EXPECT_EQ(output,
              "R0\t\t1\tTop\t\t\n"
              "R1\tR0\t1\tMiddle\t\t\n"
              "R2\tR1\t2\tFeed & Co\thttp://h.example/\thttp://x.example/?a=1&b=2\n"
              "R3\tR0\t1\t\thttp://home.example/\t\n"
              "R4\t\t2\tSite with children\t\t\n"
              "R5\tR4\t2\tUnder a site\t\thttp://u.example/\n");

    EXPECT_EQ(
        run({QStringLiteral("opml-resave"), nested, env.path(QStringLiteral("r.opml"))}).first, 0);
    EXPECT_TRUE(LoadOpml(env.state(), env.path(QStringLiteral("r.opml"))));
    EXPECT_EQ(env.state().SiteTable.size(), 5);  // the site's child is not written

    EXPECT_EQ(run({QStringLiteral("opml"), env.path(QStringLiteral("absent.opml"))}).first, 1);
    EXPECT_EQ(run({QStringLiteral("opml")}).first, 2);
    EXPECT_EQ(run({QStringLiteral("opml-resave"), nested}).first, 2);
}

// Generated lists are written exactly as the previous writer wrote them (the small ones
// against files it wrote, the large ones against the SHA-256 of its output), and read back
// to the same list: saved again, it gives the same bytes.
TEST(OpmlRoundTrip, GeneratedListsWriteAsBeforeAndReadBack) {
    struct Case {
        const char* name;
        GeneratedListShape shape;
        quint32 seed;
        const char* written;  // a file under tests/data, or the SHA-256 of the bytes
    };
    const Case cases[] = {
        {"10 entries", {10, 3, 2, false, false}, 1, "written_ten.opml"},
        {"deep folders", {50, 40, 60, false, true}, 2, "written_deep.opml"},
        {"characters XML forbids", {40, 8, 3, true, false}, 3, "written_hostile.opml"},
        {"1,000 entries",
         {1000, 80, 4, true, false},
         4,
         "57065b4cc011915cc13d734454317913e43688f5c379472260908606b85dbece"},
        {"27,000 entries",
         {27000, 2000, 5, true, false},
         5,
         "bbdc994be320d8a0433fdfbd399a14c24ecc5a68f86190449c166deaec2d1908"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestEnv env;
        AppState& state = env.state();
        GeneratedList(c.seed).fill(state, c.shape);
        ASSERT_TRUE(SaveOpml(state, env.path(QStringLiteral("a.opml"))));
        const QByteArray bytes = env.readFile(QStringLiteral("a.opml"));
        const QString written = QString::fromLatin1(c.written);
        if (written.endsWith(QLatin1String(".opml"))) {
            EXPECT_EQ(bytes, readTestData(written));
        } else {
            EXPECT_EQ(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex(),
                      written.toLatin1());
        }

        ASSERT_TRUE(LoadOpml(state, env.path(QStringLiteral("a.opml"))));
        EXPECT_EQ(state.SiteTable.size(), bytes.count("<outline "));
        ASSERT_TRUE(SaveOpml(state, env.path(QStringLiteral("b.opml"))));
        EXPECT_EQ(env.readFile(QStringLiteral("b.opml")), bytes);
    }
}

// Folders nested deeper than a reader accepts are not written: the file on disk stays, as
// it did when the written text was parsed again before saving.
TEST(OpmlWrite, FoldersTooDeepToReadBackAreNotWritten) {
    for (const int levels :
         {SafeXmlStream::kMaxElementDepth - 2, SafeXmlStream::kMaxElementDepth - 1}) {
        SCOPED_TRACE(levels);
        TestEnv env;
        QString parent = QStringLiteral("R");
        for (int level = 0; level < levels; ++level) {
            parent = addEntry(env.state(), parent, kKindFolder, QStringLiteral("F"));
        }
        env.writeFile(QStringLiteral("list.opml"), "previous");
        const bool fits = levels <= SafeXmlStream::kMaxElementDepth - 2;
        EXPECT_EQ(SaveOpml(env.state(), env.path(QStringLiteral("list.opml"))), fits);
        if (fits) {
            EXPECT_TRUE(LoadOpml(env.state(), env.path(QStringLiteral("list.opml"))));
        } else {
            EXPECT_EQ(env.readFile(QStringLiteral("list.opml")), QByteArray("previous"));
        }
    }
}
