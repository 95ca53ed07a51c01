#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include <QRegularExpression>

#include "tests/platform/qstringprinter.h"
#include "rules/boundedregex.h"
#include "rules/regexliterals.h"
#include "rules/rulesproblems.h"
#include "rules/rulesdocument.h"
#include "rules/ruleset.h"

namespace {

std::shared_ptr<const RuleSet> compiled(const char* text) {
    return RuleSet::compile(RulesDocument::fromBytes(QByteArray(text)));
}

const char kRules[] =
    "# noise and news\n"
    "mute\t速報\n"                           // 0
    "hold\tＡＢＣ\n"                         // 1
    "highlight\tｶﾀｶﾅ\t\t#00ff00\n"           // 2
    "highlight\t/^\\[pr\\]/\n"               // 3
    "mute\t*\thttp://noisy.example/rss\n"    // 4
    "hold\tsale\thttp://shop.example/rss\n"  // 5
    "\n"
    "highlight\tRelease\n"                     // 6
    "hold\trelease\n"                          // 7
    "highlight\t/rel(ease)?\\b/\t\t#0000FF\n"  // 8
    "mute\t/casino|gambl(e|ing)/\n"            // 9
    "highlight\tStraße\n"                      // 10
    "hold\t/(\\d+)%\\s*\\1/\n";                // 11

TEST(RuleSet, VerdictsFollowPatternSiteAndPrecedence) {
    const auto rules = compiled(kRules);
    ASSERT_TRUE(rules->problems().isEmpty());
    const QString noisy = QStringLiteral("http://noisy.example/rss");
    const QString shop = QStringLiteral("http://shop.example/rss");
    struct Case {
        const char16_t* title;
        QString feedUrl;
        RuleAction action;
        int rule;
        quint32 colour = 0;
    };
    const Case cases[] = {
        {u"今日の天気", {}, RuleAction::Show, -1},
        {u"【速報】地震", {}, RuleAction::Mute, 0},
        // Width and case: ＡＢＣ is written wide in the rule.
        {u"abc news", {}, RuleAction::Hold, 1},
        {u"Abc News", shop, RuleAction::Hold, 1},
        {u"ａｂｃ", {}, RuleAction::Hold, 1},
        {u"AB C", {}, RuleAction::Show, -1},
        // Half-width katakana in the rule, full width in the headline and back.
        {u"カタカナ語の話", {}, RuleAction::Highlight, 2, 0x00FF00},
        {u"ｶﾀｶﾅ", {}, RuleAction::Highlight, 2, 0x00FF00},
        {u"ひらがな", {}, RuleAction::Show, -1},
        // A regular expression ignores case but sees the headline as it is, not folded.
        {u"[PR] 新商品", {}, RuleAction::Highlight, 3, 0xFFD700},
        {u"［PR］ 新商品", {}, RuleAction::Show, -1},
        {u"ニュース [PR]", {}, RuleAction::Show, -1},
        // "*" for one site, compared as the same text only.
        {u"今日の天気", noisy, RuleAction::Mute, 4},
        {u"今日の天気", noisy + u'/', RuleAction::Show, -1},
        {u"今日の天気", QStringLiteral("HTTP://noisy.example/rss"), RuleAction::Show, -1},
        {u"Big SALE", shop, RuleAction::Hold, 5},
        {u"Big SALE", noisy, RuleAction::Mute, 4},
        {u"Big SALE", {}, RuleAction::Show, -1},
        // Mute over hold over highlight, whatever the order in the file.
        {u"ABC 速報", {}, RuleAction::Mute, 0},
        {u"New release", {}, RuleAction::Hold, 7},
        {u"[pr] カタカナ", {}, RuleAction::Highlight, 2, 0x00FF00},
        {u"relay", {}, RuleAction::Show, -1},
        {u"rel 2", {}, RuleAction::Highlight, 8, 0x0000FF},
        {u"[PR] Casino night", {}, RuleAction::Mute, 9},
        {u"GAMBLING ban", shop, RuleAction::Mute, 9},
        {u"STRASSE", {}, RuleAction::Highlight, 10, 0xFFD700},
        // An expression that counts its groups is matched on its own.
        {u"50% 50", {}, RuleAction::Hold, 11},
        {u"50% 40", {}, RuleAction::Show, -1},
    };
    for (const Case& c : cases) {
        const QString title = QString::fromUtf16(c.title);
        const RuleVerdict verdict = rules->verdict(title, c.feedUrl);
        EXPECT_EQ(verdict, (RuleVerdict{c.action, c.colour, c.rule}))
            << title.toStdString() << " / " << c.feedUrl.toStdString() << ": "
            << ruleActionName(verdict.action).toStdString() << " by rule " << verdict.rule;
    }
    EXPECT_EQ(compiled("")->verdict(QStringLiteral("速報"), {}), RuleVerdict{});
}

TEST(RuleSet, UnusableLinesAreSkippedAndNamedByPhysicalLine) {
    const auto rules = compiled(
        "# comment\n"
        "\n"
        "mute\n"
        "block\tfoo\n"
        "highlight\tfoo\t\t#12345\n"
        "mute\tfoo\t\t#zzzzzz\n"
        "hold\t/(unclosed/\n"
        "mute\ta\tb\tc\td\n"
        "mute\t\xff\xfe\n"
        "  MUTE \tbar\n"
        "mute\t//\n"
        "highlight\tx\thttp://a/\t#ffffff\t\t\n"
        "   # indented comment\n"
        "highlight\tbaz\t\tFFFFFF\n"
        "\t\n"
        "hold\t\tfoo\n");
    using Kind = RuleProblem::Kind;
    const QList<std::pair<int, Kind>> expected = {
        {3, Kind::EmptyPattern},  {4, Kind::UnknownAction}, {5, Kind::BadColour},
        {7, Kind::BadRegex},      {8, Kind::TooManyFields}, {9, Kind::NotUtf8},
        {11, Kind::EmptyPattern}, {14, Kind::BadColour},    {16, Kind::EmptyPattern},
    };
    QList<std::pair<int, Kind>> found;
    for (const RuleProblem& problem : rules->problems()) {
        found.append({problem.line, problem.kind});
        EXPECT_TRUE(ruleProblemText(problem).contains(QString::number(problem.line)));
    }
    EXPECT_EQ(found, expected);
    EXPECT_EQ(rules->problems()[1].detail, QStringLiteral("block"));

    QStringList kept;
    for (const DisplayRule& rule : rules->rules()) {
        kept.append(ruleActionName(rule.action) + u' ' + rule.pattern);
    }
    EXPECT_EQ(kept, QStringList({QStringLiteral("mute foo"), QStringLiteral("mute bar"),
                                 QStringLiteral("highlight x")}));
    EXPECT_EQ(rules->verdict(QStringLiteral("foobar"), {}).action, RuleAction::Mute);
    EXPECT_EQ(rules->verdict(QStringLiteral("x"), QStringLiteral("http://a/")).colour, 0xFFFFFFu);
}

// An expression is tried only on headlines holding one of its required texts: a text that is
// not really required would hide a match.
TEST(RegexLiterals, EveryMatchHoldsOneOfTheRequiredTexts) {
    const struct {
        const char16_t* expression;
        const char16_t* matching;
        QStringList required;  // empty: none, the expression is tried on every headline
    } cases[] = {
        {u"abc", u"xxABCxx", {QStringLiteral("abc")}},
        {u"colou?r", u"COLOR", {QStringLiteral("colo")}},
        {u"x+yz", u"xxxyz", {QStringLiteral("yz")}},
        {u"^\\[PR\\]", u"[pr] x", {QStringLiteral("[pr]")}},
        {u"(速報|号外)", u"【号外】", {QStringLiteral("速報"), QStringLiteral("号外")}},
        {u"(?:foo|bar)?baz", u"baz", {QStringLiteral("baz")}},
        {u"(?<name>foo|bar)\\d", u"bar1", {QStringLiteral("foo"), QStringLiteral("bar")}},
        {u"(foo|)bar", u"bar", {QStringLiteral("bar")}},
        {u"foo(?=bar)", u"foobar", {QStringLiteral("foo")}},
        {u"(?<!x)ab", u"ab", {QStringLiteral("ab")}},
        {u"第\\d+話", u"第12話", {QStringLiteral("第")}},
        {u"[]x]yy", u"]yy", {QStringLiteral("yy")}},
        {u"a{0,2}bc", u"bc", {QStringLiteral("bc")}},
        {u"STRAẞE", u"straße", {QStringLiteral("straße")}},
        {u"Ｋｂ", u"ｋＢ", {QStringLiteral("ｋｂ")}},
        {u"[a-z]+\\d", u"abc1", {}},
        {u"(a)\\1", u"aa", {}},
        {u"\\Qa.b\\E", u"a.b", {}},
        {u"a{,3}", u"a{,3}", {}},
        {u"(?i)x", u"x", {}},
        {u"a|b*", u"", {}},
        {u"(*UTF)x", u"x", {}},
    };
    for (const auto& c : cases) {
        const QString expression = QString::fromUtf16(c.expression);
        const QString matching = QString::fromUtf16(c.matching);
        SCOPED_TRACE(expression.toStdString());
        const QRegularExpression regex(expression, QRegularExpression::CaseInsensitiveOption);
        ASSERT_TRUE(regex.match(matching).hasMatch());
        const std::optional<QStringList> required = requiredLiterals(expression);
        EXPECT_EQ(required.value_or(QStringList{}), c.required);
        if (required) {
            const QString folded = matching.toCaseFolded();
            EXPECT_TRUE(std::any_of(required->begin(), required->end(),
                                    [&](const QString& text) { return folded.contains(text); }));
        }
    }
}

// Rules users already have keep their meaning: PCRE2 is given what QRegularExpression gives it.
TEST(BoundedRegex, ReadsAndMatchesAsQRegularExpression) {
    const struct {
        const char16_t* pattern;
        const char16_t* subject;
    } cases[] = {
        {u"^\\[pr\\]", u"[PR] x"},
        {u"(速報|breaking)", u"【速報】"},
        {u"straße", u"STRASSE"},
        {u"ǆ", u"ǅ"},
        {u"\\bcat\\b", u"Cat."},
        {u"\\w+", u"日本語"},
        {u"[[:alpha:]]é", u"xÉ"},
        {u"(?-i)abc", u"ABC"},
        {u"a.c", u"a\nc"},
        {u"^b", u"a\nb"},
        {u"(?m)^b", u"a\nb"},
        {u"\\x{1F600}", u"x😀"},
        {u".$", u"😀"},
        {u"(\\d+)-\\1", u"12-12"},
        {u"(?<y>\\d{4})年", u"2024年"},
        {u"k", u"\u212A"},
        {u"[", u""},
        {u"(?<=a+)b", u"ab"},
        {u"\\", u""},
        {u"a{2,1}", u"aa"},
    };
    for (const auto& c : cases) {
        const QString pattern = QString::fromUtf16(c.pattern);
        const QString subject = QString::fromUtf16(c.subject);
        SCOPED_TRACE(pattern.toStdString());
        const QRegularExpression qt(pattern, QRegularExpression::CaseInsensitiveOption);
        const BoundedRegex ours(pattern);
        ASSERT_EQ(ours.isValid(), qt.isValid()) << ours.errorString().toStdString();
        if (!qt.isValid()) {
            EXPECT_EQ(ours.errorOffset(), qt.patternErrorOffset());
            continue;
        }
        EXPECT_EQ(ours.match(subject) == BoundedRegex::Result::Match, qt.match(subject).hasMatch());
    }
}

// Patterns that backtrack without end, on headlines made to hurt them: each match gives up at
// its bound, the rule is skipped for that headline only (the other rules still decide) and
// named with its line. Unbounded, the first headline alone would take hours.
TEST(RuleSet, PathologicalPatternsAreBoundedSkippedAndNamed) {
    const auto rules = compiled(
        "# worst of the attack\n"
        "hold\t/(a+)+$/\n"
        "mute\t/(\\w+\\s?)+$/\thttp://w.example/\n"
        "highlight\tnews\n");
    const QString w = QStringLiteral("http://w.example/");
    const QString hurtsA = QString(64, u'a') + u'!';
    QString hurtsWords;
    for (int i = 0; i < 30; ++i) {
        hurtsWords += QStringLiteral("word%1 ").arg(i);
    }
    hurtsWords += u'!';
    EXPECT_TRUE(rules->overBudgetProblems().isEmpty());

    const RuleVerdict a = rules->verdict(hurtsA + QStringLiteral(" news"), {});
    EXPECT_EQ(a.action, RuleAction::Highlight);
    EXPECT_TRUE(a.skipped);
    EXPECT_EQ(rules->verdict(hurtsWords, w), (RuleVerdict{RuleAction::Show, 0, -1, true}));
    // What the patterns are for still matches.
    EXPECT_EQ(rules->verdict(QStringLiteral("news aaaa"), {}).action, RuleAction::Hold);
    EXPECT_EQ(rules->verdict(QStringLiteral("plain words"), w).action, RuleAction::Mute);

    const QList<RuleProblem> named = rules->overBudgetProblems();
    ASSERT_EQ(named.size(), 2);
    EXPECT_EQ(named[0].line, 2);
    EXPECT_EQ(named[1].line, 3);
    EXPECT_TRUE(ruleProblemText(named[0]).contains(QStringLiteral("/(a+)+$/")));
    EXPECT_EQ(BoundedRegex(QStringLiteral("(a+)+$")).match(hurtsA),
              BoundedRegex::Result::OverBudget);
}

// A file of half a million unusable lines is named by its first few and counted, and what it
// holds reaches no terminal or log raw.
TEST(RuleSet, ManyUnusableLinesAreNamedByTheFirstFewAndCounted) {
    QByteArray text = "bell\x07\x1b[31mred\tx\n";
    for (int i = 1; i < 500'000; ++i) {
        text += "junk\n";
    }
    const auto rules = RuleSet::compile(RulesDocument::fromBytes(text));
    ASSERT_EQ(rules->problems().size(), 500'000);
    const QString details = ruleProblemDetails(rules->problems());
    EXPECT_EQ(details.count(u'\n'), kNamedRuleProblems);
    EXPECT_TRUE(details.endsWith(QStringLiteral(u"ほかに 499995 行あります")))
        << details.toStdString();
    EXPECT_TRUE(details.contains(QStringLiteral("bell\\x07\\x1b[31mred")));
    for (const QChar c : details) {
        EXPECT_TRUE(c == u'\n' || c.category() != QChar::Other_Control);
    }
    EXPECT_EQ(ruleProblemSummary(rules->problems()),
              QStringLiteral(u"表示ルールに使えない行が 500000 行あります（設定 → 表示ルール）"));
    EXPECT_EQ(printableRuleText(QString(500, u'x')).size(), 81);
    EXPECT_EQ(printableRuleText(QStringLiteral(u"a\u202Eb\u0085")),
              QStringLiteral("a\\u202eb\\x85"));
}

// Reader threads share one compiled set and ask it at the same time.
TEST(RuleSet, OneSetAnswersManyThreadsAlike) {
    const auto rules = compiled(kRules);
    const QStringList titles = {QStringLiteral("abc news"),    QStringLiteral("[PR] 新商品"),
                                QStringLiteral("New release"), QStringLiteral("casino"),
                                QStringLiteral("今日の天気"),  QStringLiteral("50% 50")};
    std::vector<RuleVerdict> expected;
    for (const QString& title : titles) {
        expected.push_back(rules->verdict(title, {}));
    }
    std::vector<int> mismatches(4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 200; ++round) {
                for (qsizetype i = 0; i < titles.size(); ++i) {
                    mismatches[t] += rules->verdict(titles[i], {}) == expected[i] ? 0 : 1;
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(mismatches, std::vector<int>(4, 0));
}

}  // namespace
