#include "rules/rulesdocument.h"

#include <QStringDecoder>

namespace {

const QByteArray kByteOrderMark("\xEF\xBB\xBF");

bool isBlankOrComment(const QString& text) {
    for (const QChar c : text) {
        if (c == u' ' || c == u'\t') {
            continue;
        }
        return c == u'#';
    }
    return true;
}

DisplayRule siteMute(const QString& feedUrl) {
    return DisplayRule{RuleAction::Mute, QStringLiteral("*"), feedUrl, kDefaultHighlightColour};
}

bool isSiteMute(const DisplayRule& rule, const QString& feedUrl) {
    return rule.action == RuleAction::Mute && rule.matchesAll() && rule.feedUrl == feedUrl;
}

}  // namespace

RulesDocument RulesDocument::fromBytes(const QByteArray& bytes) {
    RulesDocument document;
    QByteArrayView rest(bytes);
    if (rest.startsWith(kByteOrderMark)) {
        document.byteOrderMark = true;
        rest = rest.sliced(kByteOrderMark.size());
    }
    int number = 0;
    while (!rest.isEmpty()) {
        // A line ends at LF, CR LF or a CR alone (as an old Mac editor writes).
        qsizetype end = 0;
        while (end < rest.size() && rest[end] != '\n' && rest[end] != '\r') {
            ++end;
        }
        const QByteArrayView raw = rest.first(end);
        qsizetype ending = 0;
        if (end < rest.size()) {
            ending = rest[end] == '\r' && end + 1 < rest.size() && rest[end + 1] == '\n' ? 2 : 1;
        }
        if (number == 0 && ending > 0) {
            document.lineEnd = rest.sliced(end, ending).toByteArray();
        }
        rest = rest.sliced(end + ending);
        ++number;
        Line line;
        line.raw = raw.toByteArray();
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = decoder(raw);
        if (decoder.hasError()) {
            line.problem = RuleProblem::Kind::NotUtf8;
        } else if (!isBlankOrComment(text)) {
            RuleProblem problem;
            line.rule = parseRuleLine(text, number, problem, &line.expression);
            if (!line.rule) {
                line.problem = problem.kind;
                line.detail = problem.detail;
            }
        }
        document.lines.append(std::move(line));
    }
    return document;
}

QList<DisplayRule> RulesDocument::rules() const {
    QList<DisplayRule> found;
    for (const Line& line : lines) {
        if (line.rule) {
            found.append(*line.rule);
        }
    }
    return found;
}

QList<BoundedRegex> RulesDocument::ruleExpressions() const {
    QList<BoundedRegex> found;
    for (const Line& line : lines) {
        if (line.rule) {
            found.append(line.expression);
        }
    }
    return found;
}

QList<int> RulesDocument::ruleLines() const {
    QList<int> found;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].rule) {
            found.append(int(i + 1));
        }
    }
    return found;
}

QList<RuleProblem> RulesDocument::problems() const {
    QList<RuleProblem> found;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].problem) {
            found.append(RuleProblem{int(i + 1), *lines[i].problem, lines[i].detail});
        }
    }
    return found;
}

RulesDocument::Line RulesDocument::ruleLine(const DisplayRule& rule) {
    Line line;
    line.raw = formatRuleLine(rule).toUtf8();
    line.rule = rule;
    return line;
}

bool RulesDocument::setRules(const QList<DisplayRule>& newRules) {
    for (const DisplayRule& rule : newRules) {
        if (checkRule(rule)) {
            return false;
        }
    }
    // A rule that was in the file keeps its line as written, wherever it goes.
    QList<const Line*> unused;
    for (const Line& line : lines) {
        if (line.rule) {
            unused.append(&line);
        }
    }
    const auto lineFor = [&](const DisplayRule& rule) {
        for (qsizetype i = 0; i < unused.size(); ++i) {
            if (*unused[i]->rule == rule) {
                return *unused.takeAt(i);
            }
        }
        return ruleLine(rule);
    };
    QList<Line> edited;
    qsizetype next = 0;
    for (const Line& line : lines) {
        if (!line.rule) {
            edited.append(line);
        } else if (next < newRules.size()) {
            edited.append(lineFor(newRules[next++]));
        }
    }
    for (; next < newRules.size(); ++next) {
        edited.append(lineFor(newRules[next]));
    }
    lines = std::move(edited);
    return true;
}

bool RulesDocument::mutesSite(const QString& feedUrl) const {
    for (const Line& line : lines) {
        if (line.rule && isSiteMute(*line.rule, feedUrl)) {
            return true;
        }
    }
    return false;
}

bool RulesDocument::setSiteMuted(const QString& feedUrl, bool muted) {
    if (feedUrl.isEmpty() || checkRule(siteMute(feedUrl))) {
        return false;
    }
    if (muted) {
        if (!mutesSite(feedUrl)) {
            lines.append(ruleLine(siteMute(feedUrl)));
        }
        return true;
    }
    lines.removeIf([&](const Line& line) { return line.rule && isSiteMute(*line.rule, feedUrl); });
    return true;
}

QByteArray RulesDocument::toBytes() const {
    QByteArray bytes = byteOrderMark ? kByteOrderMark : QByteArray();
    for (const Line& line : lines) {
        bytes += line.raw + lineEnd;
    }
    return bytes;
}
