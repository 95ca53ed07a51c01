#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include "tests/common/testenv.h"
#include "tests/dialogs/fakedialoghost.h"
#include "dialogs/frmoption.h"
#include "ui/updown.h"
#include "tests/common/wholetexts.h"

namespace {

// The settings the dialog edits, for comparing before and after.
struct Seven {
    TickerMode mode;
    qint16 minutes;
    PatrolMode pirotMode;
    qint16 hours;
    bool autoLoad, checkedHide, oldHide, siteIcons;
    bool operator==(const Seven&) const = default;
};

Seven sevenOf(const Settings& s) {
    return {s.TICKER_MODE,   s.AUTO_PIROT_MINITS, s.AUTO_PIROT_MODE, s.LIMIT_HOURES,
            s.AUTO_LOAD_FLG, s.CHECKED_HIDE_FLG,  s.OLD_HIDE_FLG,    s.SITE_ICONS};
}

class OptionDialogTest : public ::testing::Test {
protected:
    OptionDialogTest() : host(env.state()), dialog(env.state(), host) {}

    Settings& settings() { return env.state().settings; }

    TestEnv env;
    FakeDialogHost host;
    frmOption dialog;
};

class OptionDialogTestInEnglish : public InEnglish, public OptionDialogTest {};

TEST_F(OptionDialogTestInEnglish, EveryCaptionShowsWhole) {
    dialog.showOrRaise();
    expectEveryCaptionShowsWhole(dialog);
}

TEST_F(OptionDialogTest, ControlsCaptionsAndPlace) {
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Quorvane3 オプション"));
    EXPECT_FALSE(dialog.isModal());
    EXPECT_EQ(dialog.frmAutoPilot->title(), QStringLiteral("RDF巡回設定"));
    EXPECT_EQ(dialog.frmNewsSelect->title(), QStringLiteral("ティッカーに表示する記事"));
    EXPECT_EQ(dialog.fraTickerView->title(), QStringLiteral("ティッカーの表示"));
    EXPECT_EQ(dialog.optPirotSimple->text(), QStringLiteral("一サイトずつ（推奨）"));
    EXPECT_EQ(
        dialog.chkOldNewsHide->toolTip(),
        QStringLiteral("ティッカーに表示したことが無くても、ある程度古い記事は表示しないように"
                       "することができます。"));
    EXPECT_EQ(dialog.lblTickerAutoLoad->text(), QStringLiteral("・・・・・・"));
    EXPECT_TRUE(dialog.cmdOK->isDefault());
    EXPECT_EQ(dialog.updownNewsLimit->minimum(), 1);
    EXPECT_EQ(dialog.updownNewsLimit->maximum(), 48);
    EXPECT_EQ(dialog.updownAutoPirotInterval->maximum(), 60);

    host.topLeft = QPoint(1500, 3000);
    dialog.showOrRaise();
    EXPECT_EQ(dialog.topLeftTwips(), QPoint(1620, 3120));
    EXPECT_EQ(dialog.pos(), QPoint(108, 208));
    dialog.close();
}

TEST_F(OptionDialogTest, PopUpModeGreysAutoLoadAndConfirmStoresItFalse) {
    settings().TICKER_MODE = TickerMode::PopUp;
    settings().AUTO_LOAD_FLG = true;
    dialog.Form_Load();
    EXPECT_TRUE(dialog.optTickerPickup->isChecked());
    EXPECT_FALSE(dialog.optTickerFullView->isChecked());
    EXPECT_FALSE(dialog.chkTickerAutoLoad->isEnabled());
    EXPECT_TRUE(dialog.chkTickerAutoLoad->isChecked());

    // "常に表示" enables the box again with its tick; back to pop-up greys it.
    dialog.optTickerFullView->click();
    EXPECT_TRUE(dialog.chkTickerAutoLoad->isEnabled());
    EXPECT_TRUE(dialog.chkTickerAutoLoad->isChecked());
    dialog.optTickerPickup->click();
    EXPECT_FALSE(dialog.chkTickerAutoLoad->isEnabled());

    dialog.cmdOK_Click();
    EXPECT_EQ(settings().TICKER_MODE, TickerMode::PopUp);
    EXPECT_FALSE(settings().AUTO_LOAD_FLG);

    dialog.Form_Load();
    dialog.optTickerFullView->click();
    EXPECT_FALSE(dialog.chkTickerAutoLoad->isChecked());
    dialog.chkTickerAutoLoad->click();
    dialog.cmdOK_Click();
    EXPECT_EQ(settings().TICKER_MODE, TickerMode::AlwaysShown);
    EXPECT_TRUE(settings().AUTO_LOAD_FLG);
}

TEST_F(OptionDialogTest, NumberBoxesAreCleanedUpWrittenBackAndStored) {
    settings().LIMIT_HOURES = 12;
    settings().AUTO_PIROT_MINITS = 2;
    struct Case {
        const char* hours;
        const char* minutes;
        qint16 storedHours;
        qint16 storedMinutes;
    };
    const Case cases[] = {
        {"0", "2.5", 1, 2}, {"100", "3.5", 48, 4},      {"abc", "", 12, 2},
        {"", "abc", 12, 2}, {"99999", "-99999", 48, 1}, {"24", "60", 24, 60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hours);
        settings().LIMIT_HOURES = 12;
        settings().AUTO_PIROT_MINITS = 2;
        dialog.Form_Load();
        dialog.txtNewsLimit->setText(QString::fromUtf8(c.hours));
        dialog.txtAutoPirotInterval->setText(QString::fromUtf8(c.minutes));
        dialog.cmdOK_Click();
        EXPECT_EQ(settings().LIMIT_HOURES, c.storedHours);
        EXPECT_EQ(settings().AUTO_PIROT_MINITS, c.storedMinutes);
        EXPECT_EQ(dialog.txtNewsLimit->text(), QString::number(c.storedHours));
        EXPECT_EQ(dialog.txtAutoPirotInterval->text(), QString::number(c.storedMinutes));
    }
}

TEST_F(OptionDialogTest, OldNewsBoxEnablesHoursWhichAreStoredEitherWay) {
    settings().OLD_HIDE_FLG = false;
    dialog.Form_Load();
    EXPECT_FALSE(dialog.txtNewsLimit->isEnabled());
    EXPECT_FALSE(dialog.updownNewsLimit->isEnabled());
    dialog.chkOldNewsHide->click();
    EXPECT_TRUE(dialog.txtNewsLimit->isEnabled());
    EXPECT_TRUE(dialog.updownNewsLimit->isEnabled());
    dialog.chkOldNewsHide->click();
    EXPECT_FALSE(dialog.txtNewsLimit->isEnabled());

    dialog.txtNewsLimit->setText(QStringLiteral("100"));
    dialog.cmdOK_Click();
    EXPECT_FALSE(settings().OLD_HIDE_FLG);
    EXPECT_EQ(settings().LIMIT_HOURES, 48);
}

TEST_F(OptionDialogTest, PatrolModeAndRefreshCommands) {
    // 1 is never offered: neither option is selected, and OK stores 2.
    settings().AUTO_PIROT_MODE = PatrolMode::NeverOffered;
    dialog.Form_Load();
    EXPECT_FALSE(dialog.optPirotSimple->isChecked());
    EXPECT_FALSE(dialog.optPirotAllSite->isChecked());
    dialog.cmdOK_Click();
    EXPECT_EQ(settings().AUTO_PIROT_MODE, PatrolMode::AllSites);

    dialog.Form_Load();
    EXPECT_TRUE(dialog.optPirotAllSite->isChecked());
    dialog.optPirotSimple->click();
    dialog.cmdOK_Click();
    EXPECT_EQ(settings().AUTO_PIROT_MODE, PatrolMode::OneSite);

    // A dialog that had a selection still shows neither for mode 1 when it opens again.
    settings().AUTO_PIROT_MODE = PatrolMode::NeverOffered;
    dialog.Form_Load();
    EXPECT_FALSE(dialog.optPirotSimple->isChecked());
    EXPECT_FALSE(dialog.optPirotAllSite->isChecked());
    dialog.optPirotAllSite->click();
    dialog.cmdOK_Click();
    EXPECT_EQ(host.refreshEnabled, (QList<bool>{true, false, true}));
}

TEST_F(OptionDialogTest, CancelEscapeAndCloseChangeNothing) {
    const Seven before = sevenOf(settings());
    const auto changeEverything = [this]() {
        dialog.optTickerPickup->click();
        dialog.optPirotAllSite->click();
        dialog.chkCheckedNewsHide->click();
        dialog.chkOldNewsHide->click();
        dialog.chkSiteIcons->click();
        dialog.txtNewsLimit->setText(QStringLiteral("30"));
        dialog.txtAutoPirotInterval->setText(QStringLiteral("30"));
    };
    const std::function<void()> closers[] = {
        [this]() { dialog.cmdCancel->click(); },
        [this]() { QTest::keyClick(dialog.txtNewsLimit, Qt::Key_Escape); },
        [this]() { dialog.close(); },
    };
    for (const auto& closeIt : closers) {
        dialog.showOrRaise();
        changeEverything();
        closeIt();
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(sevenOf(settings()), before);
    }
    EXPECT_TRUE(host.refreshEnabled.isEmpty());

    // Enter in a box is OK.
    dialog.showOrRaise();
    dialog.txtAutoPirotInterval->setText(QStringLiteral("30"));
    QTest::keyClick(dialog.txtAutoPirotInterval, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(settings().AUTO_PIROT_MINITS, 30);

    // The sites' icons box is read from the settings at each opening and stored by OK.
    dialog.showOrRaise();
    EXPECT_TRUE(dialog.chkSiteIcons->isChecked());
    dialog.chkSiteIcons->click();
    dialog.cmdOK->click();
    EXPECT_FALSE(settings().SITE_ICONS);
    dialog.showOrRaise();
    EXPECT_FALSE(dialog.chkSiteIcons->isChecked());
    dialog.close();
}

TEST_F(OptionDialogTest, OpeningAgainBringsTheOpenDialogForwardUnchanged) {
    dialog.showOrRaise();
    dialog.txtNewsLimit->setText(QStringLiteral("7"));
    dialog.optTickerPickup->click();
    host.topLeft = QPoint(0, 0);
    dialog.showOrRaise();
    EXPECT_EQ(dialog.txtNewsLimit->text(), QStringLiteral("7"));
    EXPECT_TRUE(dialog.optTickerPickup->isChecked());
    EXPECT_EQ(dialog.topLeftTwips(), QPoint(3120, 1620));
    dialog.close();

    // Opened after closing, it starts from the settings again, at the new place.
    dialog.showOrRaise();
    EXPECT_EQ(dialog.txtNewsLimit->text(), QStringLiteral("12"));
    EXPECT_TRUE(dialog.optTickerFullView->isChecked());
    EXPECT_EQ(dialog.topLeftTwips(), QPoint(120, 120));
    dialog.close();
}

TEST_F(OptionDialogTest, SpinnersStepWithinTheirBounds) {
    settings().LIMIT_HOURES = 47;
    dialog.Form_Load();
    dialog.updownNewsLimit->upButton->click();
    dialog.updownNewsLimit->upButton->click();
    EXPECT_EQ(dialog.txtNewsLimit->text(), QStringLiteral("48"));
    // Letters in the box: the spinner steps from its last value.
    dialog.txtNewsLimit->setText(QStringLiteral("abc"));
    dialog.updownNewsLimit->downButton->click();
    EXPECT_EQ(dialog.txtNewsLimit->text(), QStringLiteral("47"));
    // A typed number is the start; the Up key in the box steps too.
    dialog.txtAutoPirotInterval->setText(QStringLiteral("0"));
    QTest::keyClick(dialog.txtAutoPirotInterval, Qt::Key_Up);
    EXPECT_EQ(dialog.txtAutoPirotInterval->text(), QStringLiteral("1"));
    dialog.txtAutoPirotInterval->setText(QStringLiteral("99999"));
    dialog.updownAutoPirotInterval->downButton->click();
    EXPECT_EQ(dialog.txtAutoPirotInterval->text(), QStringLiteral("60"));
}

}  // namespace
