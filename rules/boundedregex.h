#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <memory>

// A rule's regular expression: Perl-compatible syntax read by PCRE2 exactly as
// QRegularExpression reads it (UTF-16, case-insensitive), but matched with a bound on the
// work one headline may cost, so that a pattern that backtracks without end (/(a+)+$/)
// costs a fraction of a millisecond a headline instead of seconds. Compiled once, then
// only read: one expression may match on several threads at once.
class BoundedRegex {
public:
    enum class Result { NoMatch, Match, OverBudget };

    // Backtracking steps one match may take (PCRE2's match limit; its default is 10,000,000,
    // which lets a bad pattern spend tens of milliseconds on one headline). A headline of a
    // few hundred characters needs a few thousand at most for any sensible pattern.
    static constexpr quint32 kMatchLimit = 100'000;
    // Nested backtracking frames, and the memory they may take (KiB), when the JIT compiler
    // is not available.
    static constexpr quint32 kDepthLimit = 10'000;
    static constexpr quint32 kHeapLimitKiB = 8 * 1024;

    // Matches nothing; isValid() is false.
    BoundedRegex() = default;
    explicit BoundedRegex(const QString& pattern);

    [[nodiscard]] bool isValid() const;
    [[nodiscard]] QString pattern() const;
    // For an invalid pattern: PCRE2's message and the 0-based offset of the error.
    [[nodiscard]] QString errorString() const;
    [[nodiscard]] qsizetype errorOffset() const;

    // Whether the expression is found anywhere in subject. OverBudget: the match gave up at
    // its bound without an answer. Text that is not valid UTF-16 matches nothing.
    [[nodiscard]] Result match(QStringView subject) const;

private:
    // One pointer, so that a rules file of many lines stays small.
    struct Compiled;
    std::shared_ptr<const Compiled> compiled;
};
