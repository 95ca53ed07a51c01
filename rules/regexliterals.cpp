#include "rules/regexliterals.h"

#include <algorithm>
#include <climits>

namespace {

// A recursive reading of the part of the PCRE2 syntax listed in the header. Anything else
// sets failed, and the expression gets no requirement.
class LiteralReader {
public:
    explicit LiteralReader(QStringView expression) : text(expression) {}

    std::optional<QStringList> read() {
        std::optional<QStringList> found = alternation();
        if (failed || !atEnd()) {
            return std::nullopt;
        }
        return found;
    }

private:
    [[nodiscard]] bool atEnd() const { return at >= text.size(); }
    [[nodiscard]] char16_t peek(qsizetype ahead = 0) const {
        return at + ahead < text.size() ? text[at + ahead].unicode() : u'\0';
    }
    static bool isAsciiAlnum(char16_t c) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    }
    static int shortest(const QStringList& texts) {
        int length = INT_MAX;
        for (const QString& t : texts) {
            length = std::min(length, int(t.size()));
        }
        return length;
    }

    // Branches up to ")" or the end: every branch must require something.
    std::optional<QStringList> alternation() {
        QStringList texts;
        bool everyBranch = true;
        for (;;) {
            const std::optional<QStringList> branch = sequence();
            if (failed) {
                return std::nullopt;
            }
            if (branch) {
                texts += *branch;
            } else {
                everyBranch = false;
            }
            if (peek() != u'|') {
                break;
            }
            ++at;
        }
        if (!everyBranch) {
            return std::nullopt;
        }
        return texts;
    }

    // The longest requirement among the parts that every match of the sequence holds.
    std::optional<QStringList> sequence() {
        std::optional<QStringList> best;
        int bestLength = 0;
        QString run;
        const auto offer = [&](const QStringList& texts) {
            const int length = shortest(texts);
            if (length > bestLength) {
                best = texts;
                bestLength = length;
            }
        };
        const auto endRun = [&] {
            if (!run.isEmpty()) {
                offer({run});
                run.clear();
            }
        };
        while (!atEnd() && peek() != u'|' && peek() != u')') {
            std::optional<QChar> literal;
            std::optional<QStringList> group;
            const char16_t c = peek();
            if (c == u'\\') {
                const char16_t escaped = peek(1);
                if (escaped == u'\0') {
                    failed = true;
                } else if (!isAsciiAlnum(escaped)) {
                    literal = QChar(escaped);
                } else if (!QStringView(u"dDsSwWhHvVRNXbBAzZG").contains(QChar(escaped))) {
                    failed = true;
                }
                at += 2;
            } else if (c == u'[') {
                skipClass();
            } else if (c == u'(') {
                group = groupAtom();
            } else if (c == u'.' || c == u'^' || c == u'$') {
                ++at;
            } else if (c == u'*' || c == u'+' || c == u'?' || c == u'{' || QChar::isSurrogate(c)) {
                // A quantifier would apply to both halves of a surrogate pair.
                failed = true;
            } else {
                literal = QChar(c);
                ++at;
            }
            if (failed) {
                return std::nullopt;
            }
            const Repeat repeat = quantifier();
            if (failed) {
                return std::nullopt;
            }
            if (literal && repeat != Repeat::Optional) {
                run += *literal;
            }
            if (!literal || repeat != Repeat::Once) {
                endRun();
            }
            if (group && repeat != Repeat::Optional) {
                offer(*group);
            }
        }
        endRun();
        return best;
    }

    enum class Repeat { Once, Optional, AtLeastOnce };

    Repeat quantifier() {
        Repeat repeat = Repeat::Once;
        const char16_t c = peek();
        if (c == u'?' || c == u'*') {
            repeat = Repeat::Optional;
            ++at;
        } else if (c == u'+') {
            repeat = Repeat::AtLeastOnce;
            ++at;
        } else if (c == u'{') {
            ++at;
            int least = 0;
            bool digits = false;
            while (peek() >= u'0' && peek() <= u'9') {
                least = std::min(least * 10 + (peek() - u'0'), 100000);
                digits = true;
                ++at;
            }
            if (peek() == u',') {
                ++at;
                while (peek() >= u'0' && peek() <= u'9') {
                    ++at;
                }
            }
            // "{" that is no quantifier is a literal to PCRE2; not worth reading here.
            if (!digits || peek() != u'}') {
                failed = true;
                return repeat;
            }
            ++at;
            repeat = least == 0 ? Repeat::Optional : Repeat::AtLeastOnce;
        } else {
            return repeat;
        }
        if (peek() == u'?' || peek() == u'+') {
            ++at;
        }
        return repeat;
    }

    // "(" … ")": what its content requires, for a group whose content a match consumes.
    std::optional<QStringList> groupAtom() {
        ++at;
        bool consumed = true;
        if (peek() == u'*') {
            failed = true;
            return std::nullopt;
        }
        if (peek() == u'?') {
            ++at;
            const char16_t kind = peek();
            if (kind == u':' || kind == u'>') {
                ++at;
            } else if (kind == u'=' || kind == u'!') {
                consumed = false;
                ++at;
            } else if (kind == u'<' && (peek(1) == u'=' || peek(1) == u'!')) {
                consumed = false;
                at += 2;
            } else if (kind == u'<' || (kind == u'P' && peek(1) == u'<')) {
                at += kind == u'P' ? 2 : 1;
                skipName(u'>');
            } else if (kind == u'\'') {
                ++at;
                skipName(u'\'');
            } else {
                failed = true;
            }
            if (failed) {
                return std::nullopt;
            }
        }
        std::optional<QStringList> inner = alternation();
        if (failed || peek() != u')') {
            failed = true;
            return std::nullopt;
        }
        ++at;
        return consumed ? inner : std::nullopt;
    }

    void skipName(char16_t end) {
        while (!atEnd() && (isAsciiAlnum(peek()) || peek() == u'_')) {
            ++at;
        }
        if (peek() != end) {
            failed = true;
            return;
        }
        ++at;
    }

    // "[" … "]", with "]" first taken as a member, escapes and POSIX names inside.
    void skipClass() {
        ++at;
        if (peek() == u'^') {
            ++at;
        }
        if (peek() == u']') {
            ++at;
        }
        while (!atEnd()) {
            const char16_t c = peek();
            if (c == u']') {
                ++at;
                return;
            }
            if (c == u'\\') {
                if (QStringView(u"QEpPxNocu").contains(QChar(peek(1)))) {
                    break;
                }
                at += 2;
            } else if (c == u'[' && peek(1) == u':') {
                const qsizetype end = text.indexOf(u":]", at + 2);
                if (end < 0) {
                    break;
                }
                at = end + 2;
            } else {
                ++at;
            }
        }
        failed = true;
    }

    QStringView text;
    qsizetype at = 0;
    bool failed = false;
};

}  // namespace

std::optional<QStringList> requiredLiterals(const QString& expression) {
    std::optional<QStringList> texts = LiteralReader(expression).read();
    if (!texts || texts->isEmpty()) {
        return std::nullopt;
    }
    for (QString& text : *texts) {
        if (text.isEmpty()) {
            return std::nullopt;
        }
        text = text.toCaseFolded();
    }
    return texts;
}
