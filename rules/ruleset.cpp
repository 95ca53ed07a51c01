#include "rules/ruleset.h"

#include <algorithm>
#include <climits>

#include "rules/regexliterals.h"
#include "rules/rulesdocument.h"

namespace {

// Both sides of a plain-text match are brought to this form: NFKC, then full case folding
// (upper case first, so that ß meets SS as well as ss).
QString foldForMatching(const QString& text) {
    return text.normalized(QString::NormalizationForm_KC).toUpper().toCaseFolded();
}

// Texts to look for, each with the numbers (of rules or expressions) that finding it stands
// for; a text given twice is looked for once.
struct TextTable {
    QList<QString> texts;
    QHash<QString, int> ids;
    std::vector<std::vector<int>> owners;

    void add(const QString& text, int owner) {
        auto id = ids.constFind(text);
        if (id == ids.constEnd()) {
            id = ids.insert(text, int(texts.size()));
            texts.append(text);
            owners.emplace_back();
        }
        owners[*id].push_back(owner);
    }
};

}  // namespace

std::shared_ptr<const RuleSet> RuleSet::compile(const RulesDocument& document, quint64 generation) {
    auto set = std::make_shared<RuleSet>();
    set->rulesGeneration = generation;
    set->sourceRules = document.rules();
    set->lineProblems = document.problems();
    set->sourceLines = document.ruleLines();
    set->build(document.ruleExpressions());
    return set;
}

std::shared_ptr<const RuleSet> RuleSet::compile(const QList<DisplayRule>& rules,
                                                quint64 generation) {
    auto set = std::make_shared<RuleSet>();
    set->rulesGeneration = generation;
    set->sourceRules = rules;
    set->build({});
    return set;
}

void RuleSet::build(const QList<BoundedRegex>& expressions) {
    const int count = int(sourceRules.size());
    compiled.resize(count);
    overBudget = std::make_unique<std::atomic<bool>[]>(size_t(count));
    TextTable keywordTable;
    for (int r = 0; r < count; ++r) {
        const DisplayRule& rule = sourceRules[r];
        Compiled& entry = compiled[r];
        entry.rank = (int(RuleAction::Mute) - int(rule.action)) * count + r;
        if (!rule.feedUrl.isEmpty()) {
            auto known = sites.constFind(rule.feedUrl);
            if (known == sites.constEnd()) {
                known = sites.insert(rule.feedUrl, int(sites.size()));
            }
            entry.site = *known;
        }
        if (rule.matchesAll()) {
            everyHeadline.push_back(r);
        } else if (rule.isRegex()) {
            const bool made = r < expressions.size() && expressions[r].isValid() &&
                              expressions[r].pattern() == rule.regex();
            Regex regex{r, made ? expressions[r] : BoundedRegex(rule.regex()), false};
            if (!regex.expression.isValid() || rule.regex().isEmpty()) {
                continue;
            }
            regexes.push_back(std::move(regex));
        } else {
            const QString folded = foldForMatching(rule.pattern);
            if (folded.isEmpty()) {
                continue;
            }
            keywordTable.add(folded, r);
        }
    }

    const auto byRank = [this](int a, int b) { return compiled[a].rank < compiled[b].rank; };
    std::sort(everyHeadline.begin(), everyHeadline.end(), byRank);
    keywordRules = std::move(keywordTable.owners);
    bestKeywordRank = INT_MAX;
    for (std::vector<int>& rules : keywordRules) {
        std::sort(rules.begin(), rules.end(), byRank);
        bestKeywordRank = std::min(bestKeywordRank, compiled[rules.front()].rank);
    }
    keywords = KeywordAutomaton(keywordTable.texts);
    std::sort(regexes.begin(), regexes.end(),
              [&](const Regex& a, const Regex& b) { return byRank(a.rule, b.rule); });

    TextTable literalTable;
    for (int x = 0; x < int(regexes.size()); ++x) {
        const std::optional<QStringList> literals =
            requiredLiterals(sourceRules[regexes[x].rule].regex());
        regexes[x].needsLiteral = literals.has_value();
        for (const QString& literal : literals.value_or(QStringList{})) {
            literalTable.add(literal, x);
        }
    }
    literalRegexes = std::move(literalTable.owners);
    regexLiterals = KeywordAutomaton(literalTable.texts);
}

RuleVerdict RuleSet::verdict(const QString& title, const QString& feedUrl) const {
    const int site = feedUrl.isEmpty() ? -2 : sites.value(feedUrl, -2);
    int best = INT_MAX;
    int bestRule = -1;
    const auto take = [&](int rule) {
        best = compiled[rule].rank;
        bestRule = rule;
    };

    for (const int rule : everyHeadline) {
        if (applies(rule, site)) {
            take(rule);
            break;
        }
    }

    if (bestKeywordRank < best) {
        keywords.scan(foldForMatching(title), [&](int keyword) {
            for (const int rule : keywordRules[keyword]) {
                if (compiled[rule].rank >= best) {
                    break;
                }
                if (applies(rule, site)) {
                    take(rule);
                    break;
                }
            }
        });
    }

    // In rank order, so the first expression found decides among them. Which required
    // texts the headline holds is looked for once, when an expression needs it.
    std::vector<bool> literalFound;
    bool skipped = false;
    for (int x = 0; x < int(regexes.size()); ++x) {
        const Regex& regex = regexes[x];
        if (compiled[regex.rule].rank >= best) {
            break;
        }
        if (!applies(regex.rule, site)) {
            continue;
        }
        if (regex.needsLiteral) {
            if (literalFound.empty()) {
                literalFound.assign(regexes.size(), false);
                regexLiterals.scan(title.toCaseFolded(), [&](int literal) {
                    for (const int found : literalRegexes[literal]) {
                        literalFound[found] = true;
                    }
                });
            }
            if (!literalFound[x]) {
                continue;
            }
        }
        const BoundedRegex::Result found = regex.expression.match(title);
        if (found == BoundedRegex::Result::OverBudget) {
            skipped = true;
            overBudget[size_t(regex.rule)].store(true, std::memory_order_relaxed);
            continue;
        }
        if (found == BoundedRegex::Result::Match) {
            take(regex.rule);
            break;
        }
    }

    RuleVerdict verdict;
    verdict.skipped = skipped;
    if (bestRule >= 0) {
        verdict.rule = bestRule;
        verdict.action = sourceRules[bestRule].action;
        if (verdict.action == RuleAction::Highlight) {
            verdict.colour = sourceRules[bestRule].colour;
        }
    }
    return verdict;
}

QList<RuleProblem> RuleSet::overBudgetProblems() const {
    QList<RuleProblem> found;
    for (qsizetype r = 0; r < sourceRules.size(); ++r) {
        if (overBudget[size_t(r)].load(std::memory_order_relaxed)) {
            found.append(RuleProblem{int(sourceLines.value(r)), RuleProblem::Kind::OverBudget,
                                     sourceRules[r].pattern});
        }
    }
    return found;
}
