#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

#include "tests/common/fakes.h"
#include "platform/x11/windowstacking.h"
#include "ticker/clstransparency.h"
#include "ticker/tickermotion.h"

namespace {

constexpr int kScreen = 19200;
constexpr int kWindow = 7110;

TEST(TickerMotion, StepIsWidthDividedBySpeedWithSpeedAtLeastOne) {
    struct Case {
        int width;
        int speed;
        int step;
    };
    const Case cases[] = {{7110, 15, 474}, {6240, 15, 416}, {7110, 16, 444},
                          {7110, 1, 7110}, {7110, 0, 7110}, {7110, -5, 7110}};
    for (const Case& c : cases) {
        EXPECT_EQ(motionStep(c.width, c.speed), c.step) << c.width << " \\ " << c.speed;
    }
}

TEST(TickerMotion, SlideInSnapsOntoTheRightEdgeAtTheFifteenthStep) {
    int left = kScreen - kParkOffsetTwips;
    QList<int> lefts;
    SlideStep step;
    do {
        step = slideInStep(left, kWindow, kScreen, 15);
        left = step.left;
        lefts.append(left);
    } while (!step.finished && lefts.size() < 100);
    ASSERT_EQ(lefts.size(), 15);
    EXPECT_EQ(lefts[0], 19190 - 474);
    EXPECT_EQ(lefts[13], 19190 - 14 * 474);  // overhang 464 left: less than one step
    EXPECT_EQ(lefts[14], 12090);
}

TEST(TickerMotion, SlideOutParksBeyondTheScreenAfterSixteenSteps) {
    int left = 12090;
    int steps = 0;
    SlideStep step;
    do {
        step = slideOutStep(left, kWindow, kScreen, 15);
        left = step.left;
        ++steps;
    } while (!step.finished && steps < 100);
    EXPECT_EQ(steps, 16);
    EXPECT_EQ(left, 19210);
    // Exactly on the screen edge is not yet beyond it.
    EXPECT_FALSE(slideOutStep(19200 - 474, kWindow, kScreen, 15).finished);
}

TEST(TickerMotion, WipeGrowsLeftKeepingItsRightEndForFifteenSteps) {
    int overLeft = 6600;
    int steps = 0;
    WipeStep step;
    do {
        step = wipeStep(360, 6240, overLeft, 15);
        overLeft = step.overLeft;
        ++steps;
        EXPECT_EQ(step.overLeft + step.overWidth, 6600);
    } while (!step.finished && steps < 100);
    EXPECT_EQ(steps, 15);
    EXPECT_EQ(step.overLeft, 360);
    EXPECT_EQ(step.overWidth, 6240);
}

TEST(TickerMotion, SpeedZeroFinishesEveryAnimationInOneStep) {
    EXPECT_TRUE(slideInStep(19190, kWindow, kScreen, 0).finished);
    EXPECT_TRUE(slideOutStep(12100, kWindow, kScreen, 0).finished);
    EXPECT_TRUE(wipeStep(360, 6240, 6600, 0).finished);
}

TEST(Transparency, AlphaIsRoundedHalfToEven) {
    const int table[][2] = {{10, 26},  {15, 38},  {20, 51},  {25, 64},  {30, 76},
                            {35, 89},  {40, 102}, {45, 115}, {50, 128}, {55, 140},
                            {60, 153}, {65, 166}, {70, 178}, {75, 191}, {80, 204},
                            {85, 217}, {90, 230}, {95, 242}, {100, 255}};
    FakeMessageBox box;
    QWidget window;
    clsTransparency transparency(box, QStringLiteral("Quorvane3"));
    transparency.WndHandle(&window);
    for (const auto& row : table) {
        transparency.Opacity(row[0]);
        EXPECT_EQ(transparency.appliedAlpha(), row[1]) << row[0] << "%";
        EXPECT_DOUBLE_EQ(window.windowOpacity(), row[1] / 255.0) << row[0] << "%";
    }
    EXPECT_TRUE(box.shown.isEmpty());
}

TEST(Transparency, OutOfRangeIsRefusedWithAMessageAndChangesNothing) {
    FakeMessageBox box;
    QWidget window;
    clsTransparency transparency(box, QStringLiteral("Quorvane3"));
    transparency.WndHandle(&window);

    transparency.Opacity(9);  // nothing accepted yet: the window stays opaque
    EXPECT_EQ(transparency.appliedAlpha(), -1);
    EXPECT_DOUBLE_EQ(window.windowOpacity(), 1.0);

    transparency.Opacity(50);
    for (int refused : {101, 0, -50}) {
        transparency.Opacity(refused);
        EXPECT_EQ(transparency.opacity(), 50);
        EXPECT_EQ(transparency.appliedAlpha(), 128);
        EXPECT_DOUBLE_EQ(window.windowOpacity(), 128 / 255.0);
    }
    ASSERT_EQ(box.shown.size(), 4);
    for (const FakeMessageBox::Shown& shown : box.shown) {
        EXPECT_EQ(shown.text, QStringLiteral("透明度は、10％～100％の間で指定してください。"));
        EXPECT_EQ(shown.title, QStringLiteral("Quorvane3"));
        EXPECT_EQ(shown.buttons, MsgButtons::Ok);
        EXPECT_EQ(shown.icon, MsgIcon::None);
    }
}

TEST(WindowStacking, TogglesTheHintWithoutMovingAndSkipsWhatAlreadyHolds) {
    QWidget window(nullptr, Qt::Tool | Qt::FramelessWindowHint);
    window.resize(100, 20);
    window.move(40, 30);
    window.show();
    EXPECT_TRUE(setWindowStaysOnTop(window, true));
    EXPECT_FALSE(setWindowStaysOnTop(window, true));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.pos(), QPoint(40, 30));

    EXPECT_TRUE(setWindowStaysOnTop(window, false));
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.pos(), QPoint(40, 30));
    EXPECT_FALSE(setWindowStaysOnTop(window, false));
}

}  // namespace
