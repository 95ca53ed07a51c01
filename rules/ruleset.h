#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QtGlobal>
#include <atomic>
#include <memory>
#include <vector>

#include "rules/boundedregex.h"
#include "rules/displayrule.h"
#include "rules/keywordautomaton.h"

class RulesDocument;

// What the rules say of one headline.
struct RuleVerdict {
    RuleAction action = RuleAction::Show;
    // For Highlight, the colour as 0xRRGGBB; 0 otherwise.
    quint32 colour = 0;
    // Index in RuleSet::rules() of the rule that decided; -1 for Show.
    int rule = -1;
    // A regular expression that could have decided gave up at its bound and was skipped.
    bool skipped = false;

    bool operator==(const RuleVerdict&) const = default;
};

// The display rules compiled for matching. Made once per change of the rules and never
// changed after, so one set is shared between threads (std::shared_ptr<const RuleSet>) and
// asked from any of them at once.
//
// A headline meets a rule when the rule's site is every site or the given feed URL (the
// same text exactly) and its pattern is "*", a plain text found in the headline after both
// are brought to NFKC and case-folded (ＡＢＣ ~ abc, ｶﾀｶﾅ ~ カタカナ), or a regular
// expression found, ignoring case, in the headline as given. Of the rules a headline meets,
// mute wins over hold over highlight, and between rules of one action the earlier one.
// Every match of a regular expression is bounded (BoundedRegex): one that gives up is
// skipped for that headline, and the set remembers it (overBudgetProblems) to be named.
// Plain texts are looked for together in one pass. Regular expressions are JIT-compiled,
// and one is tried on a headline only when it could decide the verdict and, where the
// expression requires some text, that text was found (in one more pass), so a headline
// costs few matches however many expressions there are.
class RuleSet {
public:
    // No rules: every headline is shown.
    RuleSet() = default;

    // The usable rules of a document, with its problems.
    [[nodiscard]] static std::shared_ptr<const RuleSet> compile(const RulesDocument& document,
                                                                quint64 generation = 0);
    // Rules from anywhere (an editor trying its list); one with a bad regular expression
    // never matches.
    [[nodiscard]] static std::shared_ptr<const RuleSet> compile(const QList<DisplayRule>& rules,
                                                                quint64 generation = 0);

    // title is the cleaned headline; feedUrl the feed URL of its site as stored (empty: a
    // headline of no site, which only rules for every site meet).
    [[nodiscard]] RuleVerdict verdict(const QString& title, const QString& feedUrl) const;

    // Which change of the rules this set was compiled from; 0 for a set of no file.
    [[nodiscard]] quint64 generation() const { return rulesGeneration; }
    [[nodiscard]] const QList<DisplayRule>& rules() const { return sourceRules; }
    // The lines of the file that could not be used (empty for a set not made from a file).
    [[nodiscard]] const QList<RuleProblem>& problems() const { return lineProblems; }
    [[nodiscard]] bool isEmpty() const { return sourceRules.isEmpty(); }
    // The rules whose expression gave up at its bound on some headline so far, with their
    // line in the file (0 for a set not made from a file). Any thread.
    [[nodiscard]] QList<RuleProblem> overBudgetProblems() const;

private:
    // Lower ranks win: by action, then by place in the file.
    struct Compiled {
        int rank = 0;
        // -1: every site; otherwise a number of sites.
        int site = -1;
    };
    struct Regex {
        int rule = 0;
        BoundedRegex expression;
        // Tried only when one of its required texts was found in the headline.
        bool needsLiteral = false;
    };

    // expressions: compiled "/…/" patterns beside sourceRules, where already made.
    void build(const QList<BoundedRegex>& expressions);
    [[nodiscard]] bool applies(int rule, int site) const {
        const int ruleSite = compiled[rule].site;
        return ruleSite < 0 || ruleSite == site;
    }

    quint64 rulesGeneration = 0;
    QList<DisplayRule> sourceRules;
    QList<RuleProblem> lineProblems;
    // Beside sourceRules: the line of the file each came from.
    QList<int> sourceLines;
    // Beside sourceRules: set once the rule's expression gave up on a headline.
    std::unique_ptr<std::atomic<bool>[]> overBudget;

    std::vector<Compiled> compiled;
    QHash<QString, int> sites;
    // Rules of each kind, best rank first.
    std::vector<int> everyHeadline;
    KeywordAutomaton keywords;
    std::vector<std::vector<int>> keywordRules;
    int bestKeywordRank = 0;
    std::vector<Regex> regexes;
    // The required texts; each maps to the expressions (index in regexes) requiring it.
    KeywordAutomaton regexLiterals;
    std::vector<std::vector<int>> literalRegexes;
};
