#include "rules/rulesproblems.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

bool needsEscape(char16_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F ||
           (c >= 0x2028 && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

QString printableRuleText(const QString& text, qsizetype maxLength) {
    QString shown;
    for (const QChar c : text) {
        if (shown.size() >= maxLength) {
            shown += u'…';
            break;
        }
        const char16_t unit = c.unicode();
        if (!needsEscape(unit)) {
            shown += c;
        } else if (unit <= 0xFF) {
            shown += QStringLiteral("\\x%1").arg(unsigned(unit), 2, 16, QLatin1Char('0'));
        } else {
            shown += QStringLiteral("\\u%1").arg(unsigned(unit), 4, 16, QLatin1Char('0'));
        }
    }
    return shown;
}

QString ruleProblemDetails(const QList<RuleProblem>& problems) {
    QStringList lines;
    for (qsizetype i = 0; i < problems.size() && i < kNamedRuleProblems; ++i) {
        lines.append(ruleProblemText(problems[i]));
    }
    if (problems.size() > kNamedRuleProblems) {
        lines.append(QCoreApplication::translate("DisplayRules", "ほかに %1 行あります")
                         .arg(problems.size() - kNamedRuleProblems));
    }
    return lines.join(u'\n');
}

QString ruleProblemSummary(const QList<RuleProblem>& problems) {
    qsizetype unusable = 0;
    for (const RuleProblem& problem : problems) {
        unusable += problem.kind == RuleProblem::Kind::OverBudget ? 0 : 1;
    }
    if (unusable > 0) {
        return QCoreApplication::translate(
                   "DisplayRules", "表示ルールに使えない行が %1 行あります（設定 → 表示ルール）")
            .arg(unusable);
    }
    if (!problems.isEmpty()) {
        return QCoreApplication::translate(
                   "DisplayRules",
                   "表示ルールの正規表現 %1 個が照合の上限に達しました（設定 → 表示ルール）")
            .arg(problems.size());
    }
    return {};
}
