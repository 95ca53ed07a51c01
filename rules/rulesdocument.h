#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

#include "rules/displayrule.h"

// The text of rules.txt as lines: UTF-8 with or without a byte-order mark, LF, CR LF or CR
// line ends, "#" comments and blank lines ignored. Edits change the rules only; comments,
// blank lines and lines that cannot be used stay as they were, byte for byte, so a change
// made in the program never loses what a person wrote in the file.
class RulesDocument {
public:
    [[nodiscard]] static RulesDocument fromBytes(const QByteArray& bytes);

    // The usable rules, in file order.
    [[nodiscard]] QList<DisplayRule> rules() const;
    // Beside rules(): the compiled form of each "/…/" pattern as the reading made it (not
    // compiled for other rules, nor for rules an edit put in).
    [[nodiscard]] QList<BoundedRegex> ruleExpressions() const;
    // Beside rules(): the 1-based line of each in the file (0 for one an edit put in).
    [[nodiscard]] QList<int> ruleLines() const;
    // The lines that cannot be used, in file order.
    [[nodiscard]] QList<RuleProblem> problems() const;

    // Puts rules in place of the usable ones: the first on the line of the first usable
    // rule, and so on; rules beyond the old count go at the end, lines of rules beyond the
    // new count are removed. A rule that was there before keeps its line as written. False,
    // with nothing changed, when a rule cannot be written (checkRule).
    bool setRules(const QList<DisplayRule>& newRules);

    // Whether a "mute<TAB>*<TAB>feedUrl" line takes the site out of the ticker.
    [[nodiscard]] bool mutesSite(const QString& feedUrl) const;
    // Adds such a line at the end, or removes every such line. False, with nothing changed,
    // for an empty feed URL or one holding a tab or a line break.
    bool setSiteMuted(const QString& feedUrl, bool muted);

    // The file's bytes: the byte-order mark and the line ends it had (those of its first
    // line), every line ended.
    [[nodiscard]] QByteArray toBytes() const;

private:
    struct Line {
        // As in the file, without its line end.
        QByteArray raw;
        std::optional<DisplayRule> rule;
        BoundedRegex expression;
        // Set for a line that is neither a rule, nor blank, nor a comment.
        std::optional<RuleProblem::Kind> problem;
        QString detail;
    };
    [[nodiscard]] static Line ruleLine(const DisplayRule& rule);

    QList<Line> lines;
    bool byteOrderMark = false;
    QByteArray lineEnd = QByteArrayLiteral("\n");
};
