#include <gtest/gtest.h>

#include <algorithm>

#include <QAccessible>
#include <QAccessibleInterface>
#include <QCheckBox>
#include <QComboBox>
#include <QSlider>
#include <QStyleOptionComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "tests/common/testenv.h"
#include "tests/dialogs/fakedialoghost.h"
#include "ui/updown.h"
#include "platform/modal/colorpicker.h"
#include "ticker/clstransparency.h"
#include "ticker/frmticker.h"
#include "ticker/frmtickeroptiondialog.h"
#include "platform/speech/speechengine.h"
#include "ticker/marqueestrip.h"
#include "ticker/tickercolors.h"
#include "ui/fittedlabel.h"
#include "ticker/tickerhost.h"
#include "settings/tickeroptionrules.h"
#include "tests/common/wholetexts.h"

namespace {

class NoTickerHost final : public TickerHost {
public:
    void openArticleList() override {}
    void closeArticleList() override {}
    void openTickerSettings() override {}
};

// A colour dialog that answers with the colours it is given, or cancels (start colour).
class FakeColorPicker final : public ColorPicker {
public:
    QColor chooseColor(const QColor& start, QWidget*) override {
        starts.append(start);
        return answers.isEmpty() ? start : answers.takeFirst();
    }
    QList<QColor> answers;
    QList<QColor> starts;
};

class TickerOptionDialogTest : public ::testing::Test {
protected:
    TickerOptionDialogTest()
        : dialogHost(env.state()),
          ticker(env.state(), tickerHost),
          dialog(env.state(), ticker, dialogHost, picker) {}

    Settings& settings() { return env.state().settings; }
    QColor sampleBack() const { return dialog.lblColorSample->palette().color(QPalette::Window); }
    QColor sampleFore() const {
        return dialog.lblColorSample->palette().color(QPalette::WindowText);
    }

    TestEnv env;
    NoTickerHost tickerHost;
    FakeDialogHost dialogHost;
    FakeColorPicker picker;
    frmTicker ticker;
    frmTickerOptionDialog dialog;
};

class TickerOptionDialogInEnglish : public InEnglish, public TickerOptionDialogTest {};

TEST(TickerOptionRules, OpacityIntervalAndMargin) {
    struct Case {
        const char* text;
        int expected;
    };
    const Case opacity[] = {
        {"37", 35}, {"7", 10},  {"120", 100},  {"abc", 55},  {"", 55},     {"100", 100}, {"10", 10},
        {"14", 10}, {"-7", 10}, {"99.5", 100}, {"12.5", 10}, {"9e9", 100}, {"97", 95},
    };
    for (const Case& c : opacity) {
        EXPECT_EQ(cleanOpacityText(QString::fromUtf8(c.text), 55), c.expected) << c.text;
    }
    // A restored value that is no multiple of 5 (a hand-edited file) is cut down too.
    EXPECT_EQ(cleanOpacityText(QString(), 57), 55);

    const Case interval[] = {{"2", 3}, {"99", 60}, {"8", 8}, {"x", 12}, {"", 12}, {"60", 60}};
    for (const Case& c : interval) {
        EXPECT_EQ(cleanIntervalText(QString::fromUtf8(c.text), 12), c.expected) << c.text;
    }

    // TICKER_MARGIN_TOP 525 twips, shown and restored as 52 units of 10 twips.
    const Case margin[] = {{"52", 52}, {"-5", 0},   {"5000", 1102},
                           {"", 52},   {"abc", 52}, {"1102", 1102}};
    for (const Case& c : margin) {
        EXPECT_EQ(cleanMarginText(QString::fromUtf8(c.text), 525, 1102), c.expected) << c.text;
    }

    // (screen height − ticker height) \ 10, never negative, and storable in 16 bits.
    EXPECT_EQ(marginMaximumUnits(11520, 495), 1102);
    EXPECT_EQ(marginMaximumUnits(400, 495), 0);
    EXPECT_EQ(marginMaximumUnits(100000, 495), 3276);
}

TEST_F(TickerOptionDialogTest, LayoutCaptionsAndTips) {
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Quorvane3 ニュースティッカーの表示設定"));
    EXPECT_FALSE(dialog.isModal());
    EXPECT_EQ(dialog.fraView->pos(), QPoint(8, 8));
    EXPECT_EQ(dialog.cmdOK->pos(), QPoint(dialog.fraView->geometry().right() + 8, 8));
    EXPECT_EQ(dialog.cmdCancel->y(), 40);
    EXPECT_GT(dialog.height(), dialog.fraPlacement->geometry().bottom());
    EXPECT_EQ(dialog.cmdFontColor->geometry(), QRect(208, 160, 81, 17));
    EXPECT_EQ(dialog.lblColorSample->geometry(), QRect(112, 160, 89, 33));
    EXPECT_TRUE(dialog.cmdOK->isDefault());
    EXPECT_EQ(dialog.cmdCancel->text(), QStringLiteral("キャンセル"));
    EXPECT_EQ(dialog.lblColorSample->text(), QStringLiteral("Quorvane3 Quorvane3 Quorvane3 "));

    struct Box {
        QLineEdit* box;
        int maxLength;
        UpDown* updown;
        int minimum, maximum, step;
    };
    const Box boxes[] = {{dialog.txtTransp, 3, dialog.updownTransp, 10, 100, 5},
                         {dialog.txtNewsInterval, 2, dialog.updownNewsInterval, 3, 60, 1},
                         {dialog.txtTopMargin, 4, dialog.updownTopMargin, 0, 0, 1}};
    for (const Box& b : boxes) {
        SCOPED_TRACE(b.box->objectName().toStdString());
        EXPECT_EQ(b.box->maxLength(), b.maxLength);
        EXPECT_FALSE(b.box->testAttribute(Qt::WA_InputMethodEnabled));
        EXPECT_EQ(b.updown->minimum(), b.minimum);
        EXPECT_EQ(b.updown->maximum(), b.maximum);
        EXPECT_EQ(b.updown->increment(), b.step);
        // The spinner sits against the right edge of its box.
        EXPECT_EQ(b.updown->x(), b.box->geometry().right() + 1);
        EXPECT_EQ(b.updown->toolTip(), b.box->toolTip());
    }

    const QString marginTip =
        QStringLiteral("ポップアップ表示のとき、ティッカーのスライドイン位置を指定します");
    for (QWidget* w : QList<QWidget*>{dialog.lblTopMargin, dialog.lblTopMargin2,
                                      dialog.lblTopMargin3, dialog.txtTopMargin}) {
        EXPECT_EQ(w->toolTip(), marginTip) << w->objectName().toStdString();
    }
    EXPECT_EQ(dialog.chkKeepFront->toolTip(),
              QStringLiteral("ティッカーを常に前面に表示するときチェックします"));
    EXPECT_EQ(dialog.cmdBackgroundColor->toolTip(),
              QStringLiteral("ティッカーの背景色を設定します"));
}

TEST_F(TickerOptionDialogTest, OpensBesideTheMainWindowFromTheSettings) {
    settings().TICKER_TRANSPARENCY_LEVEL = 60;
    settings().NEWS_INTERVAL = 15;
    settings().TICKER_MARGIN_TOP = 525;
    settings().TICKER_TOPMOST_FLG = TickerStacking::Normal;
    settings().TICKER_BACK_COLOR = 0x336699;  // 0x00BBGGRR
    settings().TICKER_FORE_COLOR = 0x00FFFF;
    dialog.showOrRaise();
    EXPECT_EQ(dialog.topLeftTwips(), QPoint(3120, 1620));
    EXPECT_EQ(dialog.pos(), QPoint(208, 108));
    EXPECT_EQ(dialog.txtTransp->text(), QStringLiteral("60"));
    EXPECT_EQ(dialog.txtNewsInterval->text(), QStringLiteral("15"));
    EXPECT_EQ(dialog.txtTopMargin->text(), QStringLiteral("52"));
    // (11520 − 495) \ 10 on a 768-pixel screen.
    EXPECT_EQ(dialog.updownTopMargin->maximum(), 1102);
    EXPECT_FALSE(dialog.chkKeepFront->isChecked());
    EXPECT_FALSE(dialog.chkFlatMode->isChecked());
    EXPECT_EQ(sampleBack(), QColor(0x99, 0x66, 0x33));
    EXPECT_EQ(sampleFore(), QColor(0xFF, 0xFF, 0x00));
    dialog.close();
}

TEST_F(TickerOptionDialogTest, OkCleansTheNumbersStoresAndAppliesThem) {
    struct Case {
        const char* opacity;
        const char* interval;
        const char* margin;
        int storedOpacity, storedInterval, storedMargin;
    };
    const Case cases[] = {
        {"37", "2", "52", 35, 3, 520},
        {"7", "99", "-5", 10, 60, 0},
        {"120", "8", "9999", 100, 8, 11020},
        {"abc", "", "x", 80, 12, 520},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.opacity);
        settings().TICKER_TRANSPARENCY_LEVEL = 80;
        settings().NEWS_INTERVAL = 12;
        settings().TICKER_MARGIN_TOP = 525;
        dialog.Form_Load();
        dialog.txtTransp->setText(QString::fromUtf8(c.opacity));
        dialog.txtNewsInterval->setText(QString::fromUtf8(c.interval));
        dialog.txtTopMargin->setText(QString::fromUtf8(c.margin));
        dialog.cmdOK_Click();
        EXPECT_EQ(settings().TICKER_TRANSPARENCY_LEVEL, c.storedOpacity);
        EXPECT_EQ(settings().NEWS_INTERVAL, c.storedInterval);
        EXPECT_EQ(settings().TICKER_MARGIN_TOP, c.storedMargin);
        EXPECT_EQ(dialog.txtTransp->text(), QString::number(c.storedOpacity));
        EXPECT_EQ(dialog.txtTopMargin->text(), QString::number(c.storedMargin / 10));
        // Applied to the ticker at once.
        EXPECT_EQ(ticker.objTransparency->opacity(), c.storedOpacity);
        EXPECT_EQ(ticker.tmrNextNews->interval(), c.storedInterval * 1000);
    }
    EXPECT_TRUE(env.messageBox.shown.isEmpty());
}

TEST_F(TickerOptionDialogTest, KeepFrontAndFlatModeAreStored) {
    dialog.Form_Load();
    EXPECT_TRUE(dialog.chkKeepFront->isChecked());
    dialog.chkKeepFront->click();
    dialog.chkFlatMode->click();
    dialog.cmdOK_Click();
    EXPECT_EQ(settings().TICKER_TOPMOST_FLG, TickerStacking::Normal);
    EXPECT_TRUE(settings().FlatMode);
    EXPECT_FALSE(ticker.windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    // Flat mode lives in memory: the next opening shows it checked.
    dialog.Form_Load();
    EXPECT_TRUE(dialog.chkFlatMode->isChecked());
    dialog.chkKeepFront->click();
    dialog.cmdOK_Click();
    EXPECT_EQ(settings().TICKER_TOPMOST_FLG, TickerStacking::AboveOthers);
    EXPECT_TRUE(ticker.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

// Placement, screen and marquee: stored on OK and applied; a screen that is not connected
// stays chosen; the marquee's speed is stored only with the marquee on.
TEST_F(TickerOptionDialogTest, PlacementScreenAndMarqueeAreStored) {
    env.screen.setOtherScreens({{QStringLiteral("DP-2"), QRect(1024, 0, 1280, 1024)}});
    settings().TICKER_SCREEN = QStringLiteral("HDMI-9");
    dialog.Form_Load();
    ASSERT_EQ(dialog.cboScreen->count(), 4);  // the primary, FIXED-1, DP-2, HDMI-9 (gone)
    EXPECT_EQ(dialog.cboScreen->currentData().toString(), QStringLiteral("HDMI-9"));
    EXPECT_FALSE(dialog.sldMarqueeSpeed->isEnabled());
    dialog.sldMarqueeSpeed->setValue(30);
    dialog.cmdOK_Click();
    EXPECT_EQ(settings().TICKER_SCREEN, QStringLiteral("HDMI-9"));
    EXPECT_EQ(settings().NEWS_SCROLL_SPEED, 15);
    EXPECT_EQ(settings().TICKER_MARQUEE, TickerPresentationKind::Wipe);

    dialog.Form_Load();
    dialog.cboPlacement->setCurrentIndex(2);
    dialog.cboScreen->setCurrentIndex(dialog.cboScreen->findData(QStringLiteral("DP-2")));
    dialog.chkMarquee->click();
    EXPECT_TRUE(dialog.sldMarqueeSpeed->isEnabled());
    dialog.sldMarqueeSpeed->setValue(30);
    dialog.cmdOK_Click();
    EXPECT_EQ(settings().TICKER_PLACEMENT, TickerPlacement::DockedBottom);
    EXPECT_EQ(settings().TICKER_SCREEN, QStringLiteral("DP-2"));
    EXPECT_EQ(settings().TICKER_MARQUEE, TickerPresentationKind::Marquee);
    EXPECT_EQ(settings().NEWS_SCROLL_SPEED, 30);
    // The window's own place went along to the new screen, at the same place relative to
    // it (HDMI-9 was never connected: the window was on the primary screen at 0, 520); the
    // band spans that screen.
    EXPECT_EQ(settings().TICKER_LEFT, float(1024 * 15));
    EXPECT_EQ(settings().TICKER_TOP, 520.0f);
    EXPECT_EQ(ticker.widthTwips(), 1280 * 15);
    const auto* strip = ticker.findChild<MarqueeStrip*>();
    ASSERT_NE(strip, nullptr);
    EXPECT_TRUE(strip->isVisibleTo(&ticker));

    dialog.Form_Load();
    EXPECT_EQ(dialog.cboPlacement->currentIndex(), 2);
    EXPECT_TRUE(dialog.chkMarquee->isChecked());
    EXPECT_EQ(dialog.sldMarqueeSpeed->value(), 30);
}

// The closed screen box shows the entry chosen whole, however long the screens' names, and
// stays inside its frame, the frame inside the dialog.
TEST_F(TickerOptionDialogTest, TheClosedScreenBoxShowsItsEntryWhole) {
    env.screen.setOtherScreens(
        {{QStringLiteral("HDMI-A-1-DisplayPort-3"), QRect(1024, 0, 2560, 1440)}});
    settings().TICKER_SCREEN = QStringLiteral("DVI-I-1-long-gone");
    dialog.Form_Load();
    QComboBox* box = dialog.cboScreen;
    ASSERT_EQ(box->count(), 4);
    for (int i = 0; i < box->count(); ++i) {
        box->setCurrentIndex(i);
        SCOPED_TRACE(box->currentText().toStdString());
        QStyleOptionComboBox option;
        option.initFrom(box);
        option.currentText = box->currentText();
        option.frame = true;
        const QRect field = box->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                         QStyle::SC_ComboBoxEditField, box);
        // The label is drawn a pixel in from either side of the field.
        EXPECT_LE(box->fontMetrics().horizontalAdvance(box->currentText()), field.width() - 2);
    }
    EXPECT_LT(box->geometry().right(), dialog.fraPlacement->width());
    EXPECT_LT(dialog.fraPlacement->geometry().right(), dialog.width());
    EXPECT_EQ(dialog.cboPlacement->width(), box->width());
    expectEveryCaptionShowsWhole(dialog);
}

TEST_F(TickerOptionDialogTest, ColoursReachTheSettingsOnlyOnOk) {
    settings().TICKER_BACK_COLOR = 0x000000;
    settings().TICKER_FORE_COLOR = 0xFFFFFF;
    dialog.showOrRaise();

    // The colour dialog starts from the sample's colour; its choice shows in the sample.
    picker.answers = {QColor(255, 0, 0)};
    dialog.cmdBackgroundColor->click();
    EXPECT_EQ(picker.starts.last(), QColor(0, 0, 0));
    EXPECT_EQ(sampleBack(), QColor(255, 0, 0));
    // A cancelled colour dialog keeps the sample's colour.
    dialog.cmdFontColor->click();
    EXPECT_EQ(picker.starts.last(), QColor(255, 255, 255));
    EXPECT_EQ(sampleFore(), QColor(255, 255, 255));

    dialog.cmdCancel->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(settings().TICKER_BACK_COLOR, 0x000000);
    EXPECT_EQ(settings().TICKER_FORE_COLOR, 0xFFFFFF);
    EXPECT_EQ(ticker.palette().color(QPalette::Window), QColor(0, 0, 0));

    dialog.showOrRaise();
    EXPECT_EQ(sampleBack(), QColor(0, 0, 0));
    picker.answers = {QColor(0x11, 0x22, 0x33), QColor(0xAA, 0xBB, 0xCC)};
    dialog.cmdBackgroundColor->click();
    dialog.cmdFontColor->click();
    dialog.cmdOK->click();
    EXPECT_EQ(settings().TICKER_BACK_COLOR, 0x332211);
    EXPECT_EQ(settings().TICKER_FORE_COLOR, 0xCCBBAA);
    EXPECT_EQ(ticker.palette().color(QPalette::Window), QColor(0x11, 0x22, 0x33));
}

TEST_F(TickerOptionDialogTest, CancelEscapeAndCloseChangeNothing) {
    settings().TICKER_TRANSPARENCY_LEVEL = 80;
    const std::function<void()> closers[] = {
        [this]() { dialog.cmdCancel->click(); },
        [this]() { QTest::keyClick(dialog.txtTransp, Qt::Key_Escape); },
        [this]() { dialog.close(); },
    };
    for (const auto& closeIt : closers) {
        dialog.showOrRaise();
        dialog.txtTransp->setText(QStringLiteral("50"));
        dialog.chkFlatMode->click();
        closeIt();
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(settings().TICKER_TRANSPARENCY_LEVEL, 80);
        EXPECT_FALSE(settings().FlatMode);
    }
    // Enter in a box is OK.
    dialog.showOrRaise();
    dialog.txtTransp->setText(QStringLiteral("50"));
    QTest::keyClick(dialog.txtTransp, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(settings().TICKER_TRANSPARENCY_LEVEL, 50);
}

TEST_F(TickerOptionDialogTest, OpeningAgainBringsTheOpenDialogForwardUnchanged) {
    dialog.showOrRaise();
    dialog.txtNewsInterval->setText(QStringLiteral("ab"));
    picker.answers = {QColor(1, 2, 3)};
    dialog.cmdBackgroundColor->click();
    dialog.showOrRaise();
    EXPECT_EQ(dialog.txtNewsInterval->text(), QStringLiteral("ab"));
    EXPECT_EQ(sampleBack(), QColor(1, 2, 3));
    dialog.close();
}

TEST_F(TickerOptionDialogTest, SpinnersStepWithinTheirRanges) {
    settings().TICKER_TRANSPARENCY_LEVEL = 95;
    settings().TICKER_MARGIN_TOP = 11000;
    dialog.Form_Load();
    dialog.updownTransp->upButton->click();
    dialog.updownTransp->upButton->click();
    EXPECT_EQ(dialog.txtTransp->text(), QStringLiteral("100"));
    dialog.updownTransp->downButton->click();
    EXPECT_EQ(dialog.txtTransp->text(), QStringLiteral("95"));
    for (int i = 0; i < 5; ++i) {
        dialog.updownTopMargin->upButton->click();
    }
    EXPECT_EQ(dialog.txtTopMargin->text(), QStringLiteral("1102"));
    dialog.txtNewsInterval->setText(QStringLiteral("3"));
    QTest::keyClick(dialog.txtNewsInterval, Qt::Key_Down);
    EXPECT_EQ(dialog.txtNewsInterval->text(), QStringLiteral("3"));
}

void expectEveryTextShowsWhole(frmTickerOptionDialog& dialog) {
    dialog.showOrRaise();
    QList<QWidget*> captions;
    const QList<QWidget*> children =
        dialog.fraView->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget* child : children) {
        if (qobject_cast<QCheckBox*>(child) != nullptr ||
            (qobject_cast<QLabel*>(child) != nullptr && child != dialog.lblColorSample)) {
            captions.append(child);
        }
    }
    EXPECT_GE(captions.size(), 10);
    for (QWidget* caption : captions) {
        SCOPED_TRACE(caption->objectName().toStdString());
        EXPECT_LE(caption->sizeHint().width(), caption->width());
        EXPECT_LT(caption->geometry().right(), dialog.fraView->width());
        // Every caption in the dialog's own size: none shrunk to fit its box.
        EXPECT_EQ(caption->font().pointSizeF(), dialog.font().pointSizeF());
    }
    // Side by side on one row, no two widgets share a pixel column.
    for (QWidget* a : children) {
        for (QWidget* b : children) {
            const int shared = std::min(a->geometry().bottom(), b->geometry().bottom()) -
                               std::max(a->y(), b->y()) + 1;
            if (a == b || 2 * shared < std::min(a->height(), b->height())) {
                continue;
            }
            EXPECT_FALSE(a->geometry().intersects(b->geometry()))
                << a->objectName().toStdString() << " and " << b->objectName().toStdString();
        }
    }
    expectEveryCaptionShowsWhole(dialog);
}

TEST_F(TickerOptionDialogInEnglish, EveryTextShowsWholeWhereItIsPlaced) {
    expectEveryTextShowsWhole(dialog);
}

TEST_F(TickerOptionDialogTest, EveryTextShowsWholeWhereItIsPlaced) {
    expectEveryTextShowsWhole(dialog);

    // A number of as many digits as the box takes shows without scrolling: the cursor
    // moves from the first digit's left to the last one's right by the whole width.
    for (QLineEdit* box : {dialog.txtTransp, dialog.txtNewsInterval, dialog.txtTopMargin}) {
        for (char digit = '0'; digit <= '9'; ++digit) {
            const QString number(box->maxLength(), QLatin1Char(digit));
            SCOPED_TRACE(number.toStdString());
            box->setText(number);
            const auto cursorX = [box](int position) {
                box->setCursorPosition(position);
                (void)box->grab();
                return box->inputMethodQuery(Qt::ImCursorRectangle).toRect().x();
            };
            const int start = cursorX(0);
            EXPECT_GE(cursorX(number.size()) - start + 1,
                      box->fontMetrics().horizontalAdvance(number));
        }
        // A number that fits is shown in the dialog's own size again.
        box->setText(QStringLiteral("1"));
        EXPECT_EQ(box->font().pointSizeF(), dialog.font().pointSizeF());
    }

    // The colour sample shows whole words on whole lines.
    const QStringList words =
        dialog.lblColorSample->text().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QStringList lines = dialog.lblColorSample->shownText().split(QLatin1Char('\n'));
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_LE(lines.size() * dialog.lblColorSample->fontMetrics().height(),
              dialog.lblColorSample->height());
    for (const QString& line : lines) {
        for (const QString& word : line.split(QLatin1Char(' '))) {
            EXPECT_TRUE(words.contains(word)) << word.toStdString();
        }
    }
}

// Without a speech engine the box is greyed, says why, and leaves the setting as it was.
TEST_F(TickerOptionDialogTest, ReadAloudIsOfferedOnlyWithASpeechEngine) {
    settings().TICKER_SPEAK = true;
    dialog.Form_Load();
    EXPECT_FALSE(dialog.chkSpeak->isEnabled());
    EXPECT_FALSE(dialog.chkSpeak->isChecked());
    EXPECT_EQ(dialog.chkSpeak->toolTip(), env.state().speech().unavailableReason());
    dialog.cmdOK_Click();
    EXPECT_TRUE(settings().TICKER_SPEAK);

    env.state().useSpeechEngine(std::make_unique<NoSpeechEngine>(QString()));
    dialog.Form_Load();
    EXPECT_TRUE(dialog.chkSpeak->isEnabled());
    EXPECT_TRUE(dialog.chkSpeak->isChecked());
    dialog.chkSpeak->click();
    dialog.cmdOK_Click();
    EXPECT_FALSE(settings().TICKER_SPEAK);
}

// A screen reader names each combo box by its label and reads the entry chosen as its value.
TEST_F(TickerOptionDialogTest, ComboBoxesAreNamedByTheirLabels) {
    dialog.Form_Load();
    dialog.show();
    int checked = 0;
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        auto* box = qobject_cast<QComboBox*>(label->buddy());
        if (box == nullptr) {
            continue;
        }
        SCOPED_TRACE(box->objectName().toStdString());
        QAccessibleInterface* node = QAccessible::queryAccessibleInterface(box);
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->role(), QAccessible::ComboBox);
        EXPECT_EQ(node->text(QAccessible::Name), label->text());
        EXPECT_EQ(node->text(QAccessible::Value), box->currentText());
        EXPECT_NE(node->text(QAccessible::Name), box->currentText());
        ++checked;
    }
    EXPECT_EQ(checked, 2);
}

}  // namespace
