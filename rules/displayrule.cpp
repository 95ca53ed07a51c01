#include "rules/displayrule.h"

#include <QCoreApplication>
#include <QStringList>

#include "rules/rulesproblems.h"

namespace {

const QChar kTab = u'\t';

// Spaces a person may leave around the action or the colour by hand.
QString trimSpaces(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == u' ') {
        ++begin;
    }
    while (end > begin && text.at(end - 1) == u' ') {
        --end;
    }
    return text.mid(begin, end - begin);
}

std::optional<RuleAction> actionNamed(const QString& word) {
    const QString name = trimSpaces(word).toLower();
    if (name == QStringLiteral("mute")) {
        return RuleAction::Mute;
    }
    if (name == QStringLiteral("hold")) {
        return RuleAction::Hold;
    }
    if (name == QStringLiteral("highlight")) {
        return RuleAction::Highlight;
    }
    return std::nullopt;
}

std::optional<quint32> colourNamed(const QString& text) {
    const QString colour = trimSpaces(text);
    if (colour.isEmpty()) {
        return kDefaultHighlightColour;
    }
    if (colour.size() != 7 || colour.at(0) != u'#') {
        return std::nullopt;
    }
    quint32 value = 0;
    for (qsizetype i = 1; i < colour.size(); ++i) {
        const char16_t c = colour.at(i).unicode();
        quint32 digit = 0;
        if (c >= u'0' && c <= u'9') {
            digit = c - u'0';
        } else if (c >= u'a' && c <= u'f') {
            digit = c - u'a' + 10;
        } else if (c >= u'A' && c <= u'F') {
            digit = c - u'A' + 10;
        } else {
            return std::nullopt;
        }
        value = value * 16 + digit;
    }
    return value;
}

bool holdsLineBreakOrTab(const QString& text) {
    return text.contains(kTab) || text.contains(u'\n') || text.contains(u'\r');
}

}  // namespace

QString ruleProblemText(const RuleProblem& problem) {
    const QString line = QString::number(problem.line);
    // The detail comes from the file: it may hold anything, of any length.
    const QString detail = printableRuleText(problem.detail);
    switch (problem.kind) {
        case RuleProblem::Kind::NotUtf8:
            return QCoreApplication::translate("DisplayRules",
                                               "表示ルール %1 行目: UTF-8 で書かれていません")
                .arg(line);
        case RuleProblem::Kind::UnknownAction:
            return QCoreApplication::translate(
                       "DisplayRules",
                       "表示ルール %1 行目: 「%2」は mute、hold、highlight のどれでもありません")
                .arg(line, detail);
        case RuleProblem::Kind::EmptyPattern:
            return QCoreApplication::translate("DisplayRules",
                                               "表示ルール %1 行目: パターンが空です")
                .arg(line);
        case RuleProblem::Kind::BadRegex:
            return QCoreApplication::translate("DisplayRules",
                                               "表示ルール %1 行目: 正規表現の誤りです (%2)")
                .arg(line, detail);
        case RuleProblem::Kind::BadColour:
            return QCoreApplication::translate(
                       "DisplayRules", "表示ルール %1 行目: 色「%2」は #RRGGBB の形ではありません")
                .arg(line, detail);
        case RuleProblem::Kind::TooManyFields:
            return QCoreApplication::translate("DisplayRules",
                                               "表示ルール %1 行目: 項目が多すぎます")
                .arg(line);
        case RuleProblem::Kind::UnwritableText:
            return QCoreApplication::translate("DisplayRules",
                                               "表示ルール %1 行目: タブや改行は使えません")
                .arg(line);
        case RuleProblem::Kind::OverBudget:
            return QCoreApplication::translate(
                       "DisplayRules",
                       "表示ルール %1 行目: 正規表現 %2 "
                       "は照合に時間がかかりすぎるため、一部の見出しには使われません")
                .arg(line, detail);
    }
    return {};
}

QString ruleActionName(RuleAction action) {
    switch (action) {
        case RuleAction::Show:
            return QStringLiteral("show");
        case RuleAction::Highlight:
            return QStringLiteral("highlight");
        case RuleAction::Hold:
            return QStringLiteral("hold");
        case RuleAction::Mute:
            return QStringLiteral("mute");
    }
    return {};
}

std::optional<DisplayRule> parseRuleLine(const QString& line, int lineNumber, RuleProblem& problem,
                                         BoundedRegex* expression) {
    problem = RuleProblem{lineNumber, RuleProblem::Kind::EmptyPattern, {}};
    QStringList fields = line.split(kTab);
    // Empty fields after the fourth are a trailing tab or two, not a fifth field.
    while (fields.size() > 4 && fields.last().isEmpty()) {
        fields.removeLast();
    }
    const std::optional<RuleAction> action = actionNamed(fields.at(0));
    if (!action) {
        problem.kind = RuleProblem::Kind::UnknownAction;
        problem.detail = fields.at(0);
        return std::nullopt;
    }
    if (fields.size() > 4) {
        problem.kind = RuleProblem::Kind::TooManyFields;
        return std::nullopt;
    }
    DisplayRule rule;
    rule.action = *action;
    rule.pattern = fields.value(1);
    rule.feedUrl = fields.value(2);
    if (rule.pattern.isEmpty() || (rule.isRegex() && rule.regex().isEmpty())) {
        problem.kind = RuleProblem::Kind::EmptyPattern;
        return std::nullopt;
    }
    if (rule.isRegex()) {
        const BoundedRegex regex(rule.regex());
        if (!regex.isValid()) {
            problem.kind = RuleProblem::Kind::BadRegex;
            problem.detail =
                QStringLiteral("%1: %2").arg(regex.errorOffset() + 1).arg(regex.errorString());
            return std::nullopt;
        }
        if (expression) {
            *expression = regex;
        }
    }
    if (rule.action == RuleAction::Highlight) {
        const std::optional<quint32> colour = colourNamed(fields.value(3));
        if (!colour) {
            problem.kind = RuleProblem::Kind::BadColour;
            problem.detail = fields.value(3);
            return std::nullopt;
        }
        rule.colour = *colour;
    }
    return rule;
}

std::optional<RuleProblem> checkRule(const DisplayRule& rule) {
    if (holdsLineBreakOrTab(rule.pattern) || holdsLineBreakOrTab(rule.feedUrl)) {
        return RuleProblem{0, RuleProblem::Kind::UnwritableText, {}};
    }
    RuleProblem problem;
    const std::optional<DisplayRule> read = parseRuleLine(formatRuleLine(rule), 0, problem);
    if (!read) {
        return problem;
    }
    return std::nullopt;
}

QString formatRuleLine(const DisplayRule& rule) {
    QString line = ruleActionName(rule.action) + kTab + rule.pattern;
    const bool colour =
        rule.action == RuleAction::Highlight && rule.colour != kDefaultHighlightColour;
    if (colour || !rule.feedUrl.isEmpty()) {
        line += kTab + rule.feedUrl;
    }
    if (colour) {
        line +=
            kTab + QStringLiteral("#%1").arg(rule.colour & 0xFFFFFF, 6, 16, QChar(u'0')).toUpper();
    }
    return line;
}
