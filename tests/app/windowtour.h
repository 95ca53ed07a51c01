#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QWidget>
#include <functional>
#include <vector>

#include "app/appwindows.h"
#include "app/frmabout.h"
#include "dialogs/frmnewsitedialog.h"
#include "dialogs/frmoption.h"
#include "dialogs/accountsdialog.h"
#include "dialogs/rulesdialog.h"
#include "platform/modal/qtmessagebox.h"
#include "rules/rulesstore.h"
#include "tests/app/appfixture.h"
#include "ticker/frmticker.h"
#include "ticker/frmtickerlist.h"
#include "ticker/frmtickeroptiondialog.h"

// Every window of the program, opened the way a user opens it, over a list with two levels
// and one headline waiting in the ticker.
class WindowTourTest : public AppTest {
protected:
    struct Window {
        const char* name;
        bool dialog;  // one of the windows the user opens, fills in and leaves
        std::function<QWidget*()> open;
    };

    void SetUp() override {
        env.writeFile(QStringLiteral("config.ini"), laterStartConfig());
        env.writeFile(QStringLiteral("rsslist.opml"), kTwoLevelList);
        ASSERT_TRUE(start());
        // As start-up does before any window can edit the rules.
        EXPECT_TRUE(reloadRules(state().rulesStore()));
        ArticleRecord article;
        article.Title = QStringLiteral("見出し");
        article.SiteIndex = 1;
        article.SiteTitle = state().SiteTable[1].strTitle;
        article.FeedUrl = state().SiteTable[1].strXmlUrl;
        article.Link = QStringLiteral("http://example.com/1");
        state().NewsQueue.append(article);
    }

    static QMessageBox* openMessageBox() {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(top); box && box->isVisible()) {
                return box;
            }
        }
        return nullptr;
    }

    std::vector<Window> tour() {
        return {
            {"main window", false,
             [this]() -> QWidget* {
                 main().show();
                 return &main();
             }},
            {"ticker", false,
             [this]() -> QWidget* {
                 windows->ShowForm(ShowMode::Permanent);
                 windows->ticker().tmrNextNews_Timer();
                 return &windows->ticker();
             }},
            {"article list", true,
             [this]() -> QWidget* {
                 windows->ticker().cmdShowList_Click();
                 return windows->tickerListIfLoaded();
             }},
            {"ticker settings", true,
             [this]() -> QWidget* {
                 windows->openTickerSettings();
                 return &windows->tickerSettings();
             }},
            {"options", true,
             [this]() -> QWidget* {
                 windows->openOptions();
                 return &windows->options();
             }},
            {"new site", true,
             [this]() -> QWidget* {
                 windows->openNewSiteDialog();
                 return &windows->newSiteDialog();
             }},
            {"display rules", true,
             [this]() -> QWidget* {
                 windows->openRules();
                 return &windows->rulesDialog();
             }},
            {"accounts", true,
             [this]() -> QWidget* {
                 windows->openAccounts();
                 return &windows->accountsDialog();
             }},
            {"about box", true,
             [this]() -> QWidget* {
                 windows->openAbout();
                 return &windows->about();
             }},
            {"message box", true,
             [this]() -> QWidget* {
                 realBoxes.ask(QStringLiteral("よろしいですか。"), QStringLiteral("Quorvane3"),
                               MsgButtons::OkCancel, MsgIcon::Question, {});
                 return openMessageBox();
             }},
        };
    }

    QtMessageBox realBoxes;
};
