#include <gtest/gtest.h>

#include <cmath>

#include "settings/optionrules.h"

namespace {

TEST(OptionRules, NumberTextAndRounding) {
    struct Case {
        const char* text;
        bool isNumber;
        double value;
    };
    const Case cases[] = {
        {"12", true, 12},    {" 7\t", true, 7}, {"+5", true, 5},   {"-3", true, -3},
        {"2.5", true, 2.5},  {".5", true, 0.5}, {"5.", true, 5},   {"1e3", true, 1000},
        {"2E-1", true, 0.2}, {"", false, 0},    {"  ", false, 0},  {"abc", false, 0},
        {"12abc", false, 0}, {"-", false, 0},   {".", false, 0},   {"1e", false, 0},
        {"0x10", false, 0},  {"inf", false, 0}, {"nan", false, 0}, {"1,000", false, 0},
        {"１２", false, 0},  // full-width digits: the input method is off for these boxes
        {"1 2", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<double> number = numberFromText(QString::fromUtf8(c.text));
        ASSERT_EQ(number.has_value(), c.isNumber);
        if (c.isNumber) {
            EXPECT_DOUBLE_EQ(*number, c.value);
        }
    }

    const double halves[][2] = {{0.5, 0},   {1.5, 2},  {2.5, 2},  {3.5, 4}, {-2.5, -2},
                                {-3.5, -4}, {2.49, 2}, {2.51, 3}, {-0.4, 0}};
    for (const auto& h : halves) {
        EXPECT_EQ(roundHalfEven(h[0]), h[1]) << h[0];
    }
}

TEST(OptionRules, SpinnerBoxesRestoreRoundAndClamp) {
    struct Case {
        const char* text;
        int current;
        int minimum;
        int maximum;
        int expected;
    };
    const Case cases[] = {
        {"0", 12, 1, 48, 1},
        {"100", 12, 1, 48, 48},
        {"abc", 12, 1, 48, 12},
        {"", 12, 1, 48, 12},
        {"24", 12, 1, 48, 24},
        {"2.5", 2, 1, 60, 2},
        {"3.5", 2, 1, 60, 4},
        {"0.5", 2, 1, 60, 1},
        {"99999", 2, 1, 60, 60},
        {"-99999", 2, 1, 60, 1},
        {"1e999", 2, 1, 60, 60},
        {"-1e999", 2, 1, 60, 1},
        {"60.4", 2, 1, 60, 60},
        {" 7 ", 2, 1, 60, 7},
        // A hand-edited setting out of range is restored and then clamped too.
        {"", 0, 1, 48, 1},
        {"x", 500, 1, 48, 48},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(cleanSpinnerNumber(QString::fromUtf8(c.text), c.current, c.minimum, c.maximum),
                  c.expected)
            << c.text << " current " << c.current;
    }
}

}  // namespace
