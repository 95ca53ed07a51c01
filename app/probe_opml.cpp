#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

#include "app/probecommon.h"
#include "sitelist/opml.h"

namespace {

QString exeBaseName() {
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

int reportLoadFailure(const QString& path, const OpmlLoadError& error) {
    std::fprintf(stderr, "cannot read a site list from %s: %s\n", qUtf8Printable(path),
                 qUtf8Printable(error.reason()));
    return kProbeFailed;
}

}  // namespace

// One line per row in row order: key, parent key (empty at the top level), kind, title,
// homepage URL, feed URL.
int probeOpml(const QStringList& args) {
    if (args.size() != 1) {
        return printUsage(QStringLiteral("usage: qv3probe opml FILE"));
    }
    ProbeEnvironment environment(QDir::currentPath(), exeBaseName());
    AppState& state = environment.state();
    OpmlLoadError error;
    if (!LoadOpml(state, args.at(0), &error)) {
        return reportLoadFailure(args.at(0), error);
    }
    for (int index = 0; index < state.SiteTable.size(); ++index) {
        const SiteRow& row = state.SiteTable[index];
        const QString key = keyOfIndex(index);
        const SiteTree::Node* node = state.siteTree.find(key);
        const QString parentKey = node && node->parent ? node->parent->key : QString();
        printRecord({key, parentKey, QString::number(row.intKind), row.strTitle, row.strHtmlUrl,
                     row.strXmlUrl});
    }
    return kProbeOk;
}

int probeOpmlResave(const QStringList& args) {
    if (args.size() != 2) {
        return printUsage(QStringLiteral("usage: qv3probe opml-resave IN OUT"));
    }
    ProbeEnvironment environment(QDir::currentPath(), exeBaseName());
    AppState& state = environment.state();
    OpmlLoadError error;
    if (!LoadOpml(state, args.at(0), &error)) {
        return reportLoadFailure(args.at(0), error);
    }
    if (!SaveOpml(state, args.at(1))) {
        std::fprintf(stderr, "cannot write %s\n", qUtf8Printable(args.at(1)));
        return kProbeFailed;
    }
    return kProbeOk;
}
