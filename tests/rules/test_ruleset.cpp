#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include <QRegularExpression>

#include "tests/platform/qstringprinter.h"
#include "rules/regexliterals.h"
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
