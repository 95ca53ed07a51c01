#include "rules/ruleset.h"

#include <algorithm>
#include <climits>

#include "rules/rulesdocument.h"

namespace {

constexpr auto kRegexOptions = QRegularExpression::CaseInsensitiveOption;

// Both sides of a plain-text match are brought to this form: NFKC, then full case folding
// (upper case first, so that ß meets SS as well as ss).
QString foldForMatching(const QString& text) {
    return text.normalized(QString::NormalizationForm_KC).toUpper().toCaseFolded();
}

// Whether an expression means the same inside "(?:…)|(?:…)" as on its own: nothing that
// counts groups (back references, recursion), changes options to the end of the pattern,
// quotes to the end of the pattern or sets verbs at its start. What is left out is merely
// matched on its own.
bool canBeJoined(const QString& expression) {
    for (qsizetype i = 0; i + 1 < expression.size(); ++i) {
        const QChar c = expression.at(i);
        const QChar after = expression.at(i + 1);
        if (c == u'\\') {
            if (after.isDigit() || after == u'g' || after == u'k' || after == u'Q') {
                return false;
            }
            ++i;
        } else if (c == u'(' && after == u'*') {
            return false;
        } else if (c == u'(' && after == u'?') {
            const QStringView rest = QStringView(expression).sliced(i + 2);
            const bool plainGroup = rest.startsWith(u':') || rest.startsWith(u'=') ||
                                    rest.startsWith(u'!') || rest.startsWith(u"<=") ||
                                    rest.startsWith(u"<!");
            if (!plainGroup) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

std::shared_ptr<const RuleSet> RuleSet::compile(const RulesDocument& document, quint64 generation) {
    auto set = std::make_shared<RuleSet>();
    set->rulesGeneration = generation;
    set->sourceRules = document.rules();
    set->lineProblems = document.problems();
    set->build();
    return set;
}

std::shared_ptr<const RuleSet> RuleSet::compile(const QList<DisplayRule>& rules,
                                                quint64 generation) {
    auto set = std::make_shared<RuleSet>();
    set->rulesGeneration = generation;
    set->sourceRules = rules;
    set->build();
    return set;
}

void RuleSet::build() {
    const int count = int(sourceRules.size());
    compiled.resize(count);
    QList<QString> keywordTexts;
    QHash<QString, int> keywordIds;
    QStringList joinable;
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
            Regex regex{r, QRegularExpression(rule.regex(), kRegexOptions), false};
            if (!regex.expression.isValid() || rule.regex().isEmpty()) {
                continue;
            }
            regex.expression.optimize();
            regex.joined = canBeJoined(rule.regex());
            if (regex.joined) {
                joinable.append(QStringLiteral("(?:%1)").arg(rule.regex()));
            }
            regexes.push_back(std::move(regex));
        } else {
            const QString folded = foldForMatching(rule.pattern);
            if (folded.isEmpty()) {
                continue;
            }
            auto id = keywordIds.constFind(folded);
            if (id == keywordIds.constEnd()) {
                id = keywordIds.insert(folded, int(keywordTexts.size()));
                keywordTexts.append(folded);
                keywordRules.emplace_back();
            }
            keywordRules[*id].push_back(r);
        }
    }

    const auto byRank = [this](int a, int b) { return compiled[a].rank < compiled[b].rank; };
    std::sort(everyHeadline.begin(), everyHeadline.end(), byRank);
    bestKeywordRank = INT_MAX;
    for (std::vector<int>& rules : keywordRules) {
        std::sort(rules.begin(), rules.end(), byRank);
        bestKeywordRank = std::min(bestKeywordRank, compiled[rules.front()].rank);
    }
    keywords = KeywordAutomaton(keywordTexts);
    std::sort(regexes.begin(), regexes.end(),
              [&](const Regex& a, const Regex& b) { return byRank(a.rule, b.rule); });

    // One alternative alone gains nothing from joining.
    if (joinable.size() > 1) {
        joinedRegexes = QRegularExpression(joinable.join(u'|'), kRegexOptions);
        hasJoined = joinedRegexes.isValid();
        if (hasJoined) {
            joinedRegexes.optimize();
        }
    }
    if (!hasJoined) {
        for (Regex& regex : regexes) {
            regex.joined = false;
        }
    }
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

    // In rank order, so the first expression found decides among them.
    enum class Joined { Untried, Found, NotFound } joined = Joined::Untried;
    for (const Regex& regex : regexes) {
        if (compiled[regex.rule].rank >= best) {
            break;
        }
        if (!applies(regex.rule, site)) {
            continue;
        }
        if (regex.joined) {
            if (joined == Joined::Untried) {
                joined = joinedRegexes.match(title).hasMatch() ? Joined::Found : Joined::NotFound;
            }
            if (joined == Joined::NotFound) {
                continue;
            }
        }
        if (regex.expression.match(title).hasMatch()) {
            take(regex.rule);
            break;
        }
    }

    RuleVerdict verdict;
    if (bestRule >= 0) {
        verdict.rule = bestRule;
        verdict.action = sourceRules[bestRule].action;
        if (verdict.action == RuleAction::Highlight) {
            verdict.colour = sourceRules[bestRule].colour;
        }
    }
    return verdict;
}
