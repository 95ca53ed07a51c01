#pragma once

#include <QList>
#include <QString>

#include "rules/displayrule.h"

// How many problems a message names before it only counts the rest: a file of half a
// million broken lines must not become a tool tip or a log of half a million lines.
inline constexpr int kNamedRuleProblems = 5;

// text as it may go to a terminal, a log or a label: control characters (C0, DEL, C1) and
// the characters that reorder or break lines (bidirectional controls, U+2028, U+2029) are
// written as \xHH or \uHHHH, and text past maxLength characters is cut with "…".
[[nodiscard]] QString printableRuleText(const QString& text, qsizetype maxLength = 80);

// The first kNamedRuleProblems problems, one a line, and a last line saying how many more
// there are.
[[nodiscard]] QString ruleProblemDetails(const QList<RuleProblem>& problems);

// The problems in a form short enough for a status bar, pointing to where the details are
// (empty for none).
[[nodiscard]] QString ruleProblemSummary(const QList<RuleProblem>& problems);
