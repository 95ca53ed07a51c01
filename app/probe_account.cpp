#include <QEventLoop>
#include <QTextStream>
#include <cstdio>

#include "accounts/accountclients.h"
#include "app/probecommon.h"
#include "platform/net/httpclient.h"
#include "platform/system/workerpool.h"

namespace {

const char kAccountUsage[] = "usage: qv3probe account URL USER tree|headlines|read ID...";

void printFolder(const AccountFolder& folder, int depth, QTextStream& out) {
    const QString indent(depth * 2, QLatin1Char(' '));
    for (const AccountFolder& child : folder.folders) {
        out << indent << child.title << "/\n";
        printFolder(child, depth + 1, out);
    }
    for (const AccountFeed& feed : folder.feeds) {
        out << indent << feed.title << '\t' << feed.feedUrl << '\n';
    }
}

int failed(const AccountError& error) {
    QTextStream(stderr) << error.message << '\n';
    return kProbeFailed;
}

}  // namespace

// account URL USER tree|headlines|read ID...: a Tiny Tiny RSS account, the password read
// from the first line of standard input. tree: the folders (ending in "/") and feeds (title
// TAB feed URL), indented two spaces a level; headlines: the unread ones, id TAB feed URL
// TAB title; read: marks the articles read. Exit 1 with the reason on stderr on failure.
int probeAccount(const QStringList& args) {
    const QString what = args.value(2);
    const bool known = what == QLatin1String("tree") || what == QLatin1String("headlines") ||
                       what == QLatin1String("read");
    if (args.size() < 3 || !known || (what == QLatin1String("read")) != (args.size() > 3)) {
        return printUsage(QString::fromLatin1(kAccountUsage));
    }
    AccountConnection connection;
    connection.url = args.at(0);
    connection.user = args.at(1);
    connection.password = QTextStream(stdin).readLine();

    HttpClient http;
    WorkerPool workers(1);
    const std::unique_ptr<AccountClient> client =
        makeAccountClient(QStringLiteral("ttrss"), connection, http, workers);
    QEventLoop loop;
    int status = kProbeOk;
    QTextStream out(stdout);
    if (what == QLatin1String("tree")) {
        client->fetchTree([&](const AccountFolder& tree, const AccountError& error) {
            status = error.ok() ? (printFolder(tree, 0, out), kProbeOk) : failed(error);
            loop.quit();
        });
    } else if (what == QLatin1String("headlines")) {
        client->fetchUnread({}, [&](const AccountUnread& unread, const AccountError& error) {
            if (!error.ok()) {
                status = failed(error);
            } else {
                for (const AccountHeadline& headline : unread.headlines) {
                    printRecord({headline.id, headline.feedUrl, headline.title});
                }
            }
            loop.quit();
        });
    } else {
        client->markRead(args.mid(3), [&](qint64 changed, const AccountError& error) {
            status =
                error.ok() ? (out << "marked read: " << changed << '\n', kProbeOk) : failed(error);
            loop.quit();
        });
    }
    loop.exec();
    return status;
}
