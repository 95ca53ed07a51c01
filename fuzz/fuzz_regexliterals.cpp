// The texts requiredLiterals says every match of an expression holds. A display rule's
// expression is tried only on headlines holding one of them, so a text that is not really
// required would let a headline the rule meets through unjudged.
//
// Input: the expression, a line feed, then the headline (UTF-8).

#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "rules/boundedregex.h"
#include "rules/regexliterals.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString input = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype split = input.indexOf(u'\n');
    if (split < 0) {
        return 0;
    }
    const QString expression = input.first(split);
    const QString headline = input.sliced(split + 1);
    const std::optional<QStringList> required = requiredLiterals(expression);
    if (!required) {
        return 0;
    }
    // Required texts are never empty: an empty one would be found in every headline.
    for (const QString& text : *required) {
        if (text.isEmpty()) {
            __builtin_trap();
        }
    }
    const BoundedRegex regex(expression);
    if (regex.match(headline) != BoundedRegex::Result::Match) {
        return 0;
    }
    const QString folded = headline.toCaseFolded();
    if (std::none_of(required->begin(), required->end(),
                     [&](const QString& text) { return folded.contains(text); })) {
        __builtin_trap();
    }
    return 0;
}
