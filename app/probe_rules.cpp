#include <cstdio>

#include "app/probecommon.h"
#include "platform/files/localfile.h"
#include "rules/ruleset.h"
#include "rules/rulesstore.h"

// rules RULESFILE FEED-URL|FILE [SITE-URL]: what the display rules do to each item of a
// feed, one line each: mute, hold, highlight or show, then the title (cleaned). SITE-URL is
// the feed URL the rules' site field is compared with: by default the FEED-URL argument,
// none for a file. The lines of RULESFILE that cannot be used go to stderr, and so do the
// regular expressions that gave up at their bound. Exit 1 when RULESFILE does not exist or
// cannot be read, or when the feed yields nothing.
int probeRules(const QStringList& args) {
    if (args.size() < 2 || args.size() > 3) {
        return printUsage(
            QStringLiteral("usage: qv3probe rules RULESFILE FEED-URL|FILE [SITE-URL]"));
    }
    const RulesFileRead read = readRulesFile(args.at(0));
    if (read.status == RulesFileRead::Status::Missing) {
        // A mistyped name would otherwise look like rules that let everything through.
        std::fprintf(stderr, "%s does not exist\n", qUtf8Printable(args.at(0)));
        return kProbeFailed;
    }
    if (read.status == RulesFileRead::Status::Failed) {
        std::fprintf(stderr, "cannot read %s: %s\n", qUtf8Printable(args.at(0)),
                     qUtf8Printable(read.error));
        return kProbeFailed;
    }
    const std::shared_ptr<const RuleSet> rules =
        RuleSet::compile(RulesDocument::fromBytes(read.bytes));
    for (const RuleProblem& problem : rules->problems()) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(ruleProblemText(problem)));
    }

    QString siteUrl;
    if (args.size() == 3) {
        siteUrl = args.at(2);
    } else if (locateResource(args.at(1)).kind == ResourceLocation::Kind::Http) {
        siteUrl = args.at(1);
    }
    QList<ArticleRecord> articles;
    if (!fetchProbeFeed(args.at(1), articles)) {
        return kProbeFailed;
    }
    for (const ArticleRecord& article : articles) {
        printRecord({ruleActionName(rules->verdict(article.Title, siteUrl).action), article.Title});
    }
    for (const RuleProblem& problem : rules->overBudgetProblems()) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(ruleProblemText(problem)));
    }
    return kProbeOk;
}
