#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <optional>
#include <vector>

#include "tests/common/filesizelimit.h"
#include "tests/common/loopbackserver.h"
#include "tests/common/testenv.h"
#include "tests/platform/qstringprinter.h"
#include "rules/rulesdocument.h"
#include "rules/ruleset.h"
#include "rules/rulesstore.h"

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QStringList linesOf(const QList<DisplayRule>& rules) {
    QStringList lines;
    for (const DisplayRule& rule : rules) {
        lines.append(formatRuleLine(rule));
    }
    return lines;
}

TEST(RulesFile, ByteOrderMarkAndLineEndsReadAlikeAndAreKept) {
    const QByteArray lines[] = {"# 見出しの規則", "mute\t速報", "bogus", "hold\tＡＢＣ"};
    const struct {
        const char* bom;
        const char* end;
        bool lastEnded;
    } forms[] = {
        {"", "\n", true},
        {"", "\r\n", true},
        {"\xEF\xBB\xBF", "\n", true},
        {"\xEF\xBB\xBF", "\r\n", true},
        {"\xEF\xBB\xBF", "\r\n", false},
        {"", "\n", false},
        // CR alone, as an old Mac editor ends lines.
        {"", "\r", true},
        {"\xEF\xBB\xBF", "\r", false},
    };
    for (const auto& form : forms) {
        QByteArray bytes = form.bom;
        for (const QByteArray& line : lines) {
            bytes += line + form.end;
        }
        const QByteArray written = bytes;
        if (!form.lastEnded) {
            bytes.chop(qstrlen(form.end));
        }
        const RulesDocument document = RulesDocument::fromBytes(bytes);
        SCOPED_TRACE(bytes.toStdString());
        EXPECT_EQ(linesOf(document.rules()),
                  QStringList({QStringLiteral("mute\t速報"), QStringLiteral("hold\tＡＢＣ")}));
        ASSERT_EQ(document.problems().size(), 1);
        EXPECT_EQ(document.problems()[0].line, 3);
        EXPECT_EQ(document.toBytes(), written);
    }
}

TEST(RulesFile, EditsKeepCommentsAndUnusableLines) {
    RulesDocument document = RulesDocument::fromBytes(
        "# top\r\n"
        "mute\tfoo\t\t#ignored\r\n"
        "broken line\r\n"
        "hold\tbar\r\n"
        "# end\r\n");
    const DisplayRule foo = document.rules().at(0);
    const DisplayRule bar = document.rules().at(1);
    const DisplayRule green{RuleAction::Highlight, QStringLiteral("緑"), {}, 0x00FF00};

    // Swapped, with one more: the unchanged foo keeps its line as written.
    ASSERT_TRUE(document.setRules({bar, foo, green}));
    EXPECT_EQ(document.toBytes(),
              "# top\r\nhold\tbar\r\nbroken line\r\nmute\tfoo\t\t#ignored\r\n# end\r\n"
              "highlight\t緑\t\t#00FF00\r\n");
    ASSERT_TRUE(document.setRules({green}));
    EXPECT_EQ(document.toBytes(), "# top\r\nhighlight\t緑\t\t#00FF00\r\nbroken line\r\n# end\r\n");

    const QString site = QStringLiteral("http://news.example/rss");
    EXPECT_FALSE(document.mutesSite(site));
    ASSERT_TRUE(document.setSiteMuted(site, true));
    ASSERT_TRUE(document.setSiteMuted(site, true));
    EXPECT_TRUE(document.mutesSite(site));
    EXPECT_EQ(document.rules().size(), 2);
    EXPECT_EQ(RuleSet::compile(document)->verdict(QStringLiteral("x"), site).action,
              RuleAction::Mute);
    ASSERT_TRUE(document.setSiteMuted(site, false));
    EXPECT_EQ(document.toBytes(), "# top\r\nhighlight\t緑\t\t#00FF00\r\nbroken line\r\n# end\r\n");

    // What the file cannot hold is refused and changes nothing.
    EXPECT_FALSE(document.setSiteMuted({}, true));
    EXPECT_FALSE(document.setSiteMuted(QStringLiteral("http://a/\tb"), true));
    EXPECT_FALSE(document.setRules({DisplayRule{RuleAction::Mute, QStringLiteral("a\nb"), {}}}));
    EXPECT_FALSE(document.setRules({DisplayRule{RuleAction::Hold, QStringLiteral("/(/"), {}}}));
    EXPECT_FALSE(document.setRules({DisplayRule{RuleAction::Show, QStringLiteral("a"), {}}}));
    EXPECT_EQ(document.rules(), QList<DisplayRule>{green});
}

struct StoreFixture {
    QTemporaryDir dir;
    QString path = dir.filePath(QString::fromLatin1(kRulesFileName));
    RulesStore store{path};
    int changes = 0;
    StoreFixture() {
        store.addChangedHandler(this, [this] { ++changes; });
    }
    RuleAction actionOf(const char16_t* title) const {
        return store.current()->verdict(QString::fromUtf16(title), {}).action;
    }
};

TEST(RulesStore, FollowsTheFileAndNeverWritesOverWhatItCouldNotRead) {
    StoreFixture f;
    EXPECT_EQ(f.store.generation(), 0u);
    // Nothing read yet.
    EXPECT_EQ(saveRules(f.store, RulesDocument::fromBytes("mute\tx\n")), RulesSave::Failed);
    EXPECT_FALSE(QFile::exists(f.path));

    EXPECT_TRUE(reloadRules(f.store));  // missing: no rules
    EXPECT_EQ(f.store.generation(), 1u);
    EXPECT_TRUE(f.store.current()->isEmpty());
    EXPECT_TRUE(f.store.readFailure().isEmpty());

    writeAll(f.path, "mute\t速報\n");
    EXPECT_TRUE(reloadRules(f.store));
    EXPECT_EQ(f.store.generation(), 2u);
    EXPECT_EQ(f.store.current()->generation(), 2u);
    EXPECT_EQ(f.actionOf(u"速報"), RuleAction::Mute);
    EXPECT_TRUE(reloadRules(f.store));  // the same bytes: nothing new
    EXPECT_EQ(f.store.generation(), 2u);

    // Too large to read: the rules stay, the file is left as it is, and no edit goes over it.
    const QByteArray huge = "mute\tx\n" + QByteArray(kMaxRulesFileBytes, '#');
    writeAll(f.path, huge);
    EXPECT_TRUE(reloadRules(f.store));
    EXPECT_FALSE(f.store.readFailure().isEmpty());
    EXPECT_EQ(f.store.generation(), 2u);
    EXPECT_EQ(f.actionOf(u"速報"), RuleAction::Mute);
    EXPECT_EQ(saveRules(f.store, f.store.document()), RulesSave::Failed);
    EXPECT_EQ(readAll(f.path), huge);

    writeAll(f.path, "hold\t速報\n");
    EXPECT_TRUE(reloadRules(f.store));
    EXPECT_TRUE(f.store.readFailure().isEmpty());
    EXPECT_EQ(f.actionOf(u"速報"), RuleAction::Hold);

    RulesDocument edited = f.store.document();
    ASSERT_TRUE(edited.setSiteMuted(QStringLiteral("http://a/"), true));
    ASSERT_EQ(saveRules(f.store, edited), RulesSave::Saved);
    EXPECT_EQ(readAll(f.path), "hold\t速報\nmute\t*\thttp://a/\n");
    EXPECT_EQ(f.store.current()->verdict(QStringLiteral("x"), QStringLiteral("http://a/")).action,
              RuleAction::Mute);
    const quint64 saved = f.store.generation();
    EXPECT_TRUE(reloadRules(f.store));  // the watcher's echo of our own write
    EXPECT_EQ(f.store.generation(), saved);

    ASSERT_TRUE(QFile::remove(f.path));
    EXPECT_TRUE(reloadRules(f.store));
    EXPECT_TRUE(f.store.current()->isEmpty());
    EXPECT_EQ(f.store.generation(), saved + 1);
    // The missing file, mute, the failure, hold, the save, the missing file again.
    EXPECT_EQ(f.changes, 6);
}

// A write that fails half way (the file size limit cuts it, which stops root as well) leaves
// the old file and the rules in force untouched.
TEST(RulesStore, FailedWriteKeepsTheOldFileAndRules) {
    StoreFixture f;
    const QByteArray old = "mute\tfoo\n";
    writeAll(f.path, old);
    EXPECT_TRUE(reloadRules(f.store));
    const quint64 generation = f.store.generation();

    RulesDocument edited = f.store.document();
    ASSERT_TRUE(edited.setRules({DisplayRule{RuleAction::Hold, QString(4096, u'x'), {}}}));
    bool written = true;
    {
        const FileSizeLimit limit(1024);
        ASSERT_TRUE(limit.applied);
        written = saveRules(f.store, edited) == RulesSave::Saved;
    }

    EXPECT_FALSE(written);
    EXPECT_EQ(readAll(f.path), old);
    EXPECT_EQ(f.store.generation(), generation);
    EXPECT_EQ(f.actionOf(u"foo"), RuleAction::Mute);
    EXPECT_EQ(QDir(f.dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QString::fromLatin1(kRulesFileName)});
}

// A change another program made just before an edit (the watcher has not told of it yet) is
// read, never written over; whatever it was, the edit goes through once made on it.
TEST(RulesStore, ASaveNeverWritesOverAChangeItHasNotRead) {
    const QByteArray start = "mute\tfoo\n";
    const struct {
        const char* name;
        std::optional<QByteArray> handEdit;  // nullopt: the file was removed
    } cases[] = {
        {"same size, other text", QByteArray("mute\tbar\n")},
        {"a comment added", QByteArray("mute\tfoo\n# mine\n")},
        {"emptied", QByteArray()},
        {"removed", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StoreFixture f;
        writeAll(f.path, start);
        EXPECT_TRUE(reloadRules(f.store));
        RulesDocument edited = f.store.document();
        ASSERT_TRUE(edited.setSiteMuted(QStringLiteral("http://a/"), true));
        if (c.handEdit) {
            writeAll(f.path, *c.handEdit);
        } else {
            ASSERT_TRUE(QFile::remove(f.path));
        }
        const QByteArray onDisk = c.handEdit.value_or(QByteArray());

        EXPECT_EQ(saveRules(f.store, edited), RulesSave::ChangedOnDisk);
        EXPECT_EQ(readAll(f.path), onDisk);
        EXPECT_EQ(QFile::exists(f.path), c.handEdit.has_value());
        EXPECT_EQ(f.store.document().toBytes(), onDisk);

        edited = f.store.document();
        ASSERT_TRUE(edited.setSiteMuted(QStringLiteral("http://a/"), true));
        EXPECT_EQ(saveRules(f.store, edited), RulesSave::Saved);
        EXPECT_EQ(readAll(f.path), onDisk + "mute\t*\thttp://a/\n");
    }
}

// An edit that would take the file past what the program reads is refused; a CR-only file
// is edited as any other, keeping its line ends.
TEST(RulesStore, SavesStayReadable) {
    StoreFixture f;
    writeAll(f.path, "# mac\rmute\tfoo\r");
    EXPECT_TRUE(reloadRules(f.store));
    EXPECT_EQ(f.actionOf(u"foo"), RuleAction::Mute);
    RulesDocument edited = f.store.document();
    ASSERT_TRUE(edited.setRules({f.store.document().rules().at(0),
                                 DisplayRule{RuleAction::Hold, QStringLiteral("bar"), {}}}));
    ASSERT_EQ(saveRules(f.store, edited), RulesSave::Saved);
    EXPECT_EQ(readAll(f.path), "# mac\rmute\tfoo\rhold\tbar\r");

    const QByteArray before = readAll(f.path);
    const qsizetype room = kMaxRulesFileBytes - before.size() - qsizetype(qstrlen("mute\t\r"));
    for (const qsizetype length : {room, room + 1}) {
        RulesDocument big = f.store.document();
        ASSERT_TRUE(
            big.setRules(big.rules() << DisplayRule{RuleAction::Mute, QString(length, u'x'), {}}));
        const std::optional<RulesSave> saved = saveRules(f.store, big);
        EXPECT_EQ(saved, length == room ? RulesSave::Saved : RulesSave::TooLarge) << length;
        if (saved == RulesSave::Saved) {
            EXPECT_EQ(readAll(f.path).size(), kMaxRulesFileBytes);
            EXPECT_TRUE(reloadRules(f.store));
            EXPECT_TRUE(f.store.readFailure().isEmpty());
            writeAll(f.path, before);
            EXPECT_TRUE(reloadRules(f.store));
        }
    }
    EXPECT_EQ(readAll(f.path), before);
}

// Half a million unusable lines, 1 MiB: the largest file read, and a second or more to parse.
QByteArray unusableLines() {
    QByteArray junk;
    junk.reserve(kMaxRulesFileBytes);
    while (junk.size() < kMaxRulesFileBytes) {
        junk += "j\n";
    }
    return junk;
}

// A read is made, parsed and compiled away from the calling thread, which keeps the rules in
// force until it comes back; requests come back in the order made, so an earlier read never
// replaces a later one, and an edit asked for while a hand edit is being read is not written
// over it.
TEST(RulesStore, ReadsInTheBackgroundInTheOrderAsked) {
    StoreFixture f;
    writeAll(f.path, "mute\t速報\n");
    ASSERT_TRUE(reloadRules(f.store));
    const std::shared_ptr<const RuleSet> before = f.store.current();

    writeAll(f.path, unusableLines());
    f.store.reload();
    EXPECT_TRUE(f.store.busy());
    EXPECT_EQ(f.store.current(), before);
    EXPECT_EQ(f.store.generation(), before->generation());
    EXPECT_EQ(f.changes, 1);
    ASSERT_TRUE(waitForRules(f.store));
    EXPECT_EQ(f.store.current()->problems().size(), kMaxRulesFileBytes / 2);
    EXPECT_EQ(f.store.generation(), before->generation() + 1);

    // Two quick changes: whatever the first read found, the second's bytes end in force, and
    // every caller hears back in turn.
    std::vector<quint64> seen;
    f.store.addChangedHandler(&seen, [&] { seen.push_back(f.store.generation()); });
    QList<int> done;
    writeAll(f.path, "hold\ta\n");
    f.store.reload([&done] { done.append(1); });
    writeAll(f.path, "hold\tb\n");
    f.store.reload([&done] { done.append(2); });
    f.store.reload([&done] { done.append(3); });  // most likely the same read as the second
    ASSERT_TRUE(waitForRules(f.store));
    EXPECT_EQ(done, (QList<int>{1, 2, 3}));
    EXPECT_EQ(f.actionOf(u"b"), RuleAction::Hold);
    EXPECT_EQ(f.actionOf(u"a"), RuleAction::Show);
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), f.store.current()->generation());

    RulesDocument edited = f.store.document();
    ASSERT_TRUE(edited.setSiteMuted(QStringLiteral("http://a/"), true));
    writeAll(f.path, "# by hand\n");
    f.store.reload();
    EXPECT_EQ(saveRules(f.store, edited), RulesSave::ChangedOnDisk);
    EXPECT_EQ(readAll(f.path), "# by hand\n");
    EXPECT_EQ(f.store.document().toBytes(), "# by hand\n");
}

// A store that ends with reads and saves under way waits for the one running, drops the
// others, and calls back none of them.
TEST(RulesStore, EndsWithRequestsUnderWay) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromLatin1(kRulesFileName));
    writeAll(path, unusableLines());
    int calls = 0;
    {
        RulesStore store(path);
        store.reload([&calls] { ++calls; });
        store.save(RulesDocument::fromBytes("mute\tx\n"), [&calls](RulesSave) { ++calls; });
        store.reload([&calls] { ++calls; });
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(readAll(path), unusableLines());
}

const QByteArray kProbeFeed =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss version=\"2.0\"><channel>"
    "<title>t</title><item><title>【速報】大雨</title></item>"
    "<item><title>カタカナの日</title></item>"
    "<item><title>晴れ</title></item></channel></rss>";
const QString kShown = QStringLiteral("mute\t【速報】大雨\nhighlight\tカタカナの日\nshow\t晴れ\n");
const QString kHeld = QStringLiteral("mute\t【速報】大雨\nhold\tカタカナの日\nhold\t晴れ\n");

// Runs qv3probe rules: exit code, standard output, standard error.
std::tuple<int, QString, QString> probeRules(const QStringList& args) {
    QProcess probe;
    probe.start(QStringLiteral(QV_PROBE_PATH), QStringList{QStringLiteral("rules")} + args);
    EXPECT_TRUE(probe.waitForFinished(30000));
    return {probe.exitCode(), QString::fromUtf8(probe.readAllStandardOutput()),
            QString::fromUtf8(probe.readAllStandardError())};
}

// Rules for heldSite's headlines to wait, and one line that cannot be used (line 2).
QString writeProbeRules(const QTemporaryDir& dir, const QString& heldSite) {
    const QString path = dir.filePath(QStringLiteral("rules.txt"));
    writeAll(path, "mute\t速報\noops\tx\nhighlight\tｶﾀｶﾅ\nhold\t*\t" + heldSite.toUtf8() + "\n");
    return path;
}

TEST(RulesProbe, PrintsTheActionOfEachItemAndTheUnusableLines) {
    QTemporaryDir dir;
    const QString feedPath = dir.filePath(QStringLiteral("feed.xml"));
    writeAll(feedPath, kProbeFeed);
    const QString site = QStringLiteral("http://hold.example/rss");
    const QString rulesPath = writeProbeRules(dir, site);

    const auto [code, out, err] = probeRules({rulesPath, feedPath});
    EXPECT_EQ(code, 0);
    EXPECT_EQ(out, kShown);  // a file is no site
    EXPECT_TRUE(err.contains(QStringLiteral(" 2 "))) << err.toStdString();
    EXPECT_EQ(std::get<1>(probeRules({rulesPath, feedPath, site})), kHeld);
    // A mistyped name is no empty rule set.
    const auto [missingCode, missingOut, missingErr] =
        probeRules({dir.filePath(QStringLiteral("none.txt")), feedPath});
    EXPECT_EQ(missingCode, 1);
    EXPECT_TRUE(missingOut.isEmpty());
    EXPECT_TRUE(missingErr.contains(QStringLiteral("none.txt"))) << missingErr.toStdString();
    EXPECT_EQ(std::get<0>(probeRules({dir.path(), feedPath})), 1);
    EXPECT_EQ(std::get<0>(probeRules({rulesPath})), 2);
}

TEST(RulesProbe, AFeedUrlIsTheSiteUnlessAnotherIsNamed) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the server's threads cannot be forked under the thread sanitizer";
#endif
    LoopbackServer server;
    server.serve(QStringLiteral("/rss"), kProbeFeed);
    const QString url = server.url(QStringLiteral("/rss"));
    QTemporaryDir dir;
    const QString rulesPath = writeProbeRules(dir, url);
    EXPECT_EQ(std::get<1>(probeRules({rulesPath, url})), kHeld);
    EXPECT_EQ(std::get<1>(probeRules({rulesPath, url, QStringLiteral("http://other.example/")})),
              kShown);
}

}  // namespace
