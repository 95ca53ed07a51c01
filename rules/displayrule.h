#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

#include "rules/boundedregex.h"

// What a rule does to a headline. Ordered by precedence: a later value wins over an earlier
// one when several rules meet the same headline.
enum class RuleAction : quint8 { Show, Highlight, Hold, Mute };

// Colours are 0xRRGGBB, as written in the file without the "#".
inline constexpr quint32 kDefaultHighlightColour = 0xFFD700;

// One line of rules.txt: ACTION<TAB>PATTERN[<TAB>FEED-URL[<TAB>#RRGGBB]].
struct DisplayRule {
    RuleAction action = RuleAction::Mute;
    // As written: plain text (matched ignoring case and width), "*" (every headline) or
    // "/regular expression/" (case-insensitive).
    QString pattern;
    // Empty: every site; otherwise the one site whose feed URL is exactly this text.
    QString feedUrl;
    // The highlight's colour; kept but unused by the other actions.
    quint32 colour = kDefaultHighlightColour;

    bool operator==(const DisplayRule&) const = default;

    [[nodiscard]] bool matchesAll() const { return pattern == QStringLiteral("*"); }
    [[nodiscard]] bool isRegex() const {
        return pattern.size() >= 2 && pattern.startsWith(u'/') && pattern.endsWith(u'/');
    }
    // The expression between the slashes of a regular-expression pattern.
    [[nodiscard]] QString regex() const { return pattern.mid(1, pattern.size() - 2); }
};

// Why a line of rules.txt cannot be used.
struct RuleProblem {
    enum class Kind {
        NotUtf8,
        UnknownAction,
        EmptyPattern,
        BadRegex,
        BadColour,
        TooManyFields,
        // Only from an edit: a field holds a tab or a line break, which the file cannot hold.
        UnwritableText,
        // Not a problem of the line itself: the regular expression gave up at its bound on
        // some headline, which it was skipped for.
        OverBudget,
    };
    // 1-based, counting every physical line of the file; 0 for a rule not in a file.
    int line = 0;
    Kind kind = Kind::EmptyPattern;
    // The offending field, or the regular expression's own error.
    QString detail;

    bool operator==(const RuleProblem&) const = default;
};

// The problem as one sentence for the user (status bar, stderr), with its line number.
[[nodiscard]] QString ruleProblemText(const RuleProblem& problem);

// The action's word in the file: "mute", "hold", "highlight"; "show" for Show (no rule).
[[nodiscard]] QString ruleActionName(RuleAction action);

// Reads one line that is neither blank nor a comment. The action is taken without regard to
// case or surrounding spaces; the pattern and the feed URL exactly as written. A missing or
// empty colour is the default; a colour on a mute or hold line is not looked at. expression,
// when given, receives the compiled form of a "/…/" pattern, so it need not be compiled again.
[[nodiscard]] std::optional<DisplayRule> parseRuleLine(const QString& line, int lineNumber,
                                                       RuleProblem& problem,
                                                       BoundedRegex* expression = nullptr);

// The problem of a rule made outside the file (an edit), if any: what parseRuleLine would
// say of the line formatRuleLine writes.
[[nodiscard]] std::optional<RuleProblem> checkRule(const DisplayRule& rule);

// The rule as a line of the file, without the line end; the colour only for highlight and
// only when it is not the default, the feed URL only when it or the colour is written.
[[nodiscard]] QString formatRuleLine(const DisplayRule& rule);
