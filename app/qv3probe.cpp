// qv3probe: checks Quorvane3's file formats and feed handling from the command line.

#include <QCoreApplication>
#include <QStringList>
#include <functional>
#include <map>

#include "app/probecommon.h"

namespace {

const char kUsage[] =
    "usage: qv3probe COMMAND ARGS\n"
    "  opml FILE                 rows of a site list: key, parent key, kind, title,\n"
    "                            homepage URL, feed URL\n"
    "  opml-resave IN OUT        load a site list and save it again\n"
    "  settings DIR [NAME] [--save]\n"
    "                            the settings read from DIR/config.ini, section [NAME]\n"
    "  feed URL|FILE             the items of a feed (RSS, Atom or JSON Feed)\n"
    "  discover URL|FILE         the feeds an HTML page names, RSS first\n"
    "  date TEXT                 how a feed date is read and shown\n"
    "  md5 TEXT                  the MD5 digest used for shown-list files\n"
    "  rules RULESFILE FEED-URL|FILE [SITE-URL]\n"
    "                            what the display rules do to each item of a feed\n"
    "  account URL USER tree|headlines|read ID...\n"
    "                            a Tiny Tiny RSS account (password on standard input):\n"
    "                            its folders and feeds, its unread headlines, or marks\n"
    "                            articles read";

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    if (args.isEmpty()) {
        return printUsage(QString::fromLatin1(kUsage));
    }
    const std::map<QString, std::function<int(const QStringList&)>> commands{
        {QStringLiteral("opml"), probeOpml},
        {QStringLiteral("opml-resave"), probeOpmlResave},
        {QStringLiteral("settings"), probeSettings},
        {QStringLiteral("feed"), probeFeed},
        {QStringLiteral("discover"), probeDiscover},
        {QStringLiteral("date"), probeDate},
        {QStringLiteral("md5"), probeMd5},
        {QStringLiteral("rules"), probeRules},
        {QStringLiteral("account"), probeAccount},
    };
    const auto command = commands.find(args.takeFirst());
    if (command == commands.end()) {
        return printUsage(QString::fromLatin1(kUsage));
    }
    return command->second(args);
}
