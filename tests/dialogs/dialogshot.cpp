// Shows the ticker settings dialog and the options dialog with default settings under a
// real display and saves PNGs of them with QWidget::grab(). Used by scripts/screenshots.
//
//   dialogshot --ticker-settings FILE --options FILE [--new-site FILE] [--article-list FILE]
//              [--rules FILE] [--margin-text TEXT]   (typed into the ticker settings' margin box)

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "tests/common/shotsupport.h"
#include "platform/desktop/consoleseams.h"
#include "core/appstate.h"
#include "ui/dialoghost.h"
#include "dialogs/frmnewsitedialog.h"
#include "dialogs/frmoption.h"
#include "dialogs/rulesdialog.h"
#include "rules/rulesstore.h"
#include "patrol/patrolhost.h"
#include "platform/desktop/browser.h"
#include "platform/system/clock.h"
#include "platform/modal/messagebox.h"
#include "platform/desktop/screeninfo.h"
#include "ticker/frmticker.h"
#include "ticker/frmtickerlist.h"
#include "ticker/frmtickeroptiondialog.h"
#include "ticker/tickerhost.h"

namespace {

class FixedDialogHost final : public DialogHost {
public:
    [[nodiscard]] QPoint mainWindowTopLeftTwips() const override {
        return {pixelsToTwips(40), pixelsToTwips(40)};
    }
    void setRefreshCommandsEnabled(bool) override {}
    void mnuNewRdf_Click_Ret() override {}
};

// Lists three sample articles, as a patrol in full mode would.
class SamplePatrol final : public PatrolControl {
public:
    explicit SamplePatrol(AppState& appState) : state(appState) {}
    void LoadRdf(qint16 intNextKey, bool, WalkDone done) override {
        const struct {
            const char* title;
            const char* link;
            QTime time;
        } samples[] = {
            // Longer than the status line, as news sites' links often are.
            {"新型ロケットの打ち上げに成功、衛星を予定の軌道に投入",
             "http://www.example.com/science/2006/03/16/"
             "rocket-launch-satellite-reaches-planned-orbit.html?from=rss&ref=ticker",
             QTime(7, 24)},
            {"東京の桜が開花、平年より5日早く", "http://www.example.com/season/sakura",
             QTime(0, 0)},
            {"RSS reader 3.0 released", "http://www.example.com/news", QTime(18, 5, 30)},
        };
        for (const auto& s : samples) {
            ArticleRecord record;
            record.Title = QString::fromUtf8(s.title);
            record.Link = QString::fromUtf8(s.link);
            record.PubDate = wallClock(QDate(2006, 3, 16), s.time);
            record.SiteIndex = intNextKey;
            state.ListArticles.append(record);
        }
        done(intNextKey);
    }
    void cancelListLoad() override {}
    void RssRefresh() override {}

private:
    AppState& state;
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption tickerOut(QStringLiteral("ticker-settings"),
                                       QStringLiteral("PNG of the ticker settings dialog."),
                                       QStringLiteral("file"));
    const QCommandLineOption optionsOut(QStringLiteral("options"),
                                        QStringLiteral("PNG of the options dialog."),
                                        QStringLiteral("file"));
    const QCommandLineOption newSiteOut(QStringLiteral("new-site"),
                                        QStringLiteral("PNG of the new-site dialog."),
                                        QStringLiteral("file"));
    const QCommandLineOption listOut(QStringLiteral("article-list"),
                                     QStringLiteral("PNG of the article list window."),
                                     QStringLiteral("file"));
    const QCommandLineOption marginText(QStringLiteral("margin-text"),
                                        QStringLiteral("Text typed into the margin box."),
                                        QStringLiteral("text"));
    const QCommandLineOption rulesOut(QStringLiteral("rules"),
                                      QStringLiteral("PNG of the display rules dialog."),
                                      QStringLiteral("file"));
    parser.addOptions({tickerOut, optionsOut, newSiteOut, listOut, rulesOut, marginText});
    parser.process(app);

    ShotEnvironment environment;
    AppState& state = environment.state();
    SiteRow row;
    row.intKind = kKindSite;
    row.strTitle = QStringLiteral("サイエンスニュース");
    row.strXmlUrl = QStringLiteral("http://www.example.com/science/rss.xml");
    state.SiteTable.append(row);
    {
        QFile rules(state.rulesStore().path());
        if (rules.open(QIODevice::WriteOnly)) {
            rules.write(
                "# ニュースティッカーの表示ルール\n"
                "mute\tネタバレ\n"
                "mute\t*\thttp://noisy.example.jp/rss.xml\n"
                "hold\t/^[\\[【]?(速報|breaking)/\n"
                "highlight\tロケット\n"
                "highlight\t値下げ\t\t#FF8C00\n"
                "highlight\tｾｰﾙ\thttp://www.example.com/science/rss.xml\t#00C000\n");
        }
    }
    bool rulesRead = false;
    state.rulesStore().reload([&rulesRead] { rulesRead = true; });
    while (!rulesRead) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }

    NoTickerHost tickerHost;
    FixedDialogHost dialogHost;
    SamplePatrol patrol(state);
    frmTicker ticker(state, tickerHost);
    frmTickerOptionDialog tickerSettings(state, ticker, dialogHost);
    frmOption options(state, dialogHost);
    frmNewSiteDialog newSite(state, dialogHost);
    frmTickerList list(state, ticker, patrol);
    RulesDialog rules(state, dialogHost);

    struct Shot {
        QWidget* window;
        QString file;
    };
    QList<Shot> shots;
    if (parser.isSet(tickerOut)) {
        tickerSettings.showOrRaise();
        if (parser.isSet(marginText)) {
            tickerSettings.txtTopMargin->setText(parser.value(marginText));
        }
        shots.append({&tickerSettings, parser.value(tickerOut)});
    }
    if (parser.isSet(optionsOut)) {
        options.showOrRaise();
        shots.append({&options, parser.value(optionsOut)});
    }
    if (parser.isSet(newSiteOut)) {
        newSite.showOrRaise();
        shots.append({&newSite, parser.value(newSiteOut)});
    }
    if (parser.isSet(listOut)) {
        ticker.intCallOPMLKey = 0;
        list.openFor();
        list.tmrLoad_Timer();
        list.listRss->setCurrentRow(0);
        shots.append({&list, parser.value(listOut)});
    }
    if (parser.isSet(rulesOut)) {
        rules.showOrRaise();
        rules.selectRow(3);
        rules.txtTry->setText(QStringLiteral("新型ロケットの打ち上げに成功"));
        shots.append({&rules, parser.value(rulesOut)});
    }
    if (shots.isEmpty()) {
        std::fprintf(stderr, "dialogshot: name at least one PNG to write\n");
        return 2;
    }

    int status = 0;
    // Leave the server time to map and paint the windows.
    QTimer::singleShot(1000, &app, [&]() {
        for (const Shot& shot : shots) {
            if (!shot.window->grab().save(shot.file)) {
                std::fprintf(stderr, "dialogshot: cannot write %s\n", qPrintable(shot.file));
                status = 1;
            }
        }
        // Not quit(): that first asks every window to close, and the ticker refuses.
        QCoreApplication::exit(0);
    });
    app.exec();
    return status;
}
