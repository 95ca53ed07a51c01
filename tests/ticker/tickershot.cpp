// Shows the ticker with one article and the given display settings under a real display
// and saves a PNG of the screen around it (captured from the root window, so a
// compositing manager's translucency is included). Used by scripts/screenshots.
//
//   tickershot --out FILE [--headline T] [--site S] [--date yyyy-MM-ddTHH:mm:ss]
//              [--back BGR] [--fore BGR] [--opacity PERCENT] [--margin PIXELS]

#include <QApplication>
#include <QCommandLineParser>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "tests/common/shotsupport.h"
#include "platform/desktop/consoleseams.h"
#include "core/appstate.h"
#include "platform/desktop/browser.h"
#include "platform/system/clock.h"
#include "platform/modal/messagebox.h"
#include "platform/desktop/screeninfo.h"
#include "ticker/frmticker.h"
#include "ticker/tickerhost.h"

namespace {}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("PNG to write."),
                                 QStringLiteral("file"));
    // Not "--title": QApplication takes that one for itself.
    const QCommandLineOption title(QStringLiteral("headline"), QStringLiteral("Headline."),
                                   QStringLiteral("text"),
                                   QStringLiteral("新しいRSSリーダーを公開しました"));
    const QCommandLineOption site(QStringLiteral("site"), QStringLiteral("Site title."),
                                  QStringLiteral("text"), QStringLiteral("Quorvane ニュース"));
    const QCommandLineOption date(QStringLiteral("date"), QStringLiteral("Article date."),
                                  QStringLiteral("iso"), QStringLiteral("2006-03-16T07:24:00"));
    const QCommandLineOption back(QStringLiteral("back"), QStringLiteral("Back colour, BGR."),
                                  QStringLiteral("n"), QStringLiteral("0"));
    const QCommandLineOption fore(QStringLiteral("fore"), QStringLiteral("Fore colour, BGR."),
                                  QStringLiteral("n"), QStringLiteral("16777215"));
    const QCommandLineOption opacity(QStringLiteral("opacity"), QStringLiteral("Percent."),
                                     QStringLiteral("n"), QStringLiteral("100"));
    const QCommandLineOption margin(QStringLiteral("margin"),
                                    QStringLiteral("Pixels of desktop around the ticker."),
                                    QStringLiteral("n"), QStringLiteral("12"));
    parser.addOptions({out, title, site, date, back, fore, opacity, margin});
    parser.process(app);
    if (!parser.isSet(out)) {
        std::fprintf(stderr, "tickershot: --out is required\n");
        return 2;
    }

    ShotEnvironment environment;
    AppState& state = environment.state();

    Settings& settings = state.settings;
    settings.TICKER_MODE = TickerMode::AlwaysShown;
    settings.TICKER_LEFT = float(pixelsToTwips(40));
    settings.TICKER_TOP = float(pixelsToTwips(40));
    settings.TICKER_BACK_COLOR = parser.value(back).toInt();
    settings.TICKER_FORE_COLOR = parser.value(fore).toInt();
    settings.TICKER_TRANSPARENCY_LEVEL = qint16(parser.value(opacity).toInt());

    SiteRow row;
    row.intKind = kKindSite;
    row.strTitle = parser.value(site);
    row.strXmlUrl = QStringLiteral("http://www.example.com/index.rdf");
    state.SiteTable.append(row);
    ArticleRecord article;
    article.Title = parser.value(title);
    article.Link = QStringLiteral("http://www.example.com/1");
    article.SiteTitle = row.strTitle;
    article.FeedUrl = row.strXmlUrl;
    const QDateTime when = QDateTime::fromString(parser.value(date), Qt::ISODate);
    if (when.isValid()) {
        article.PubDate = wallClock(when.date(), when.time());
    }
    state.NewsQueue.append(article);

    NoTickerHost host;
    frmTicker ticker(state, host);
    ticker.ShowForm(ShowMode::Permanent);
    while (ticker.tmrDynamic->isActive()) {
        ticker.tmrDynamic_Timer();
    }
    ticker.tmrNextNews->stop();

    const int m = parser.value(margin).toInt();
    const QString outFile = parser.value(out);
    int status = 1;
    // Leave the server and the compositing manager time to map and paint the window.
    QTimer::singleShot(1500, &app, [&]() {
        const QRect region = ticker.frameGeometry().adjusted(-m, -m, m, m);
        const QString crop = QStringLiteral("%1x%2+%3+%4")
                                 .arg(region.width())
                                 .arg(region.height())
                                 .arg(region.x())
                                 .arg(region.y());
        status =
            QProcess::execute(QStringLiteral("import"),
                              {QStringLiteral("-window"), QStringLiteral("root"),
                               QStringLiteral("-crop"), crop, QStringLiteral("+repage"), outFile});
        // Not quit(): that first asks every window to close, and the ticker refuses.
        QCoreApplication::exit(0);
    });
    app.exec();
    return status == 0 ? 0 : 1;
}
