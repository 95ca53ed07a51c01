#include "app/probecommon.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

#include "patrol/feeditems.h"
#include "formats/feedtext.h"
#include "patrol/networkfeedservice.h"

ProbeEnvironment::ProbeEnvironment(const QString& programDir, const QString& exeBaseName) {
    ProgramPaths paths;
    paths.programDir = QDir::cleanPath(QDir(programDir).absolutePath());
    paths.shareDir = paths.programDir;
    paths.exeBaseName = exeBaseName;
    appState = std::make_unique<AppState>(paths, PlatformSeams{clock, messageBox, browser, screen});
}

void printRecord(const QStringList& fields) {
    // Written through a pointer into room for the worst case (every character escaped): the
    // probe prints a line for each of up to 32,767 entries.
    qsizetype room = fields.size() + 1;
    for (const QString& field : fields) {
        room += 2 * field.size();
    }
    QString line(room, Qt::Uninitialized);
    QChar* w = line.data();
    const auto escape = [&w](char c) {
        *w++ = QLatin1Char('\\');
        *w++ = QLatin1Char(c);
    };
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            *w++ = QLatin1Char('\t');
        }
        for (const QChar c : fields.at(i)) {
            switch (c.unicode()) {
                case u'\t':
                    escape('t');
                    break;
                case u'\n':
                    escape('n');
                    break;
                case u'\r':
                    escape('r');
                    break;
                default:
                    *w++ = c;
                    break;
            }
        }
    }
    *w++ = QLatin1Char('\n');
    line.truncate(w - line.constData());
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

int printUsage(const QString& text) {
    std::fprintf(stderr, "%s\n", qUtf8Printable(text));
    return kProbeUsage;
}

bool fetchProbeFeed(const QString& url, QList<ArticleRecord>& articles) {
    ProbeEnvironment environment(
        QDir::currentPath(), QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
    AppState& state = environment.state();
    state.useFeedService(
        std::make_unique<NetworkFeedService>(state.fetchOptions, state.seams.clock));

    FeedFetchResult fetched;
    state.feeds().fetch({url, FetchLane::User}, nullptr, [&fetched](const FeedFetchResult& result) {
        fetched = result;
        QCoreApplication::quit();
    });
    QCoreApplication::exec();
    state.feeds().shutdown(-1);

    if (!takeFeedItems(fetched.feed, 0, url, {}, articles, {})) {
        QString why = fetched.error.isEmpty() ? fetched.feed.error : fetched.error;
        if (why.isEmpty()) {
            why = fetched.feed.overflow ? QStringLiteral("more than %1 items").arg(kMaxFeedItems)
                                        : noFeedReason(fetched);
        }
        std::fprintf(stderr, "no items read from %s: %s\n", qUtf8Printable(url),
                     qUtf8Printable(why));
        return false;
    }
    return true;
}
