#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// Texts one of which every match of a regular expression contains, so that an expression
// need only be tried on a headline where one of them was found. Compare them with the
// headline after case folding (toCaseFolded) on both sides: the expressions are matched
// ignoring case. Empty (no requirement) for an expression with a part that is read here as
// anything else than literal text, the escapes of character types and assertions, classes,
// groups (capturing, non-capturing, named, atomic, lookaround), alternation and
// quantifiers; such an expression is simply tried on every headline.
[[nodiscard]] std::optional<QStringList> requiredLiterals(const QString& expression);
