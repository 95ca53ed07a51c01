#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

#include "platform/screeninfo.h"
#include "ui/fittedlabel.h"
#include "ui/twipslayout.h"
#include "ui/uifont.h"

namespace {

TEST(FittedLabel, ElidesOneLineAndDrawsOnlyWholeWrappedLines) {
    QWidget window;
    window.setFont(uiFont());
    const QString sentence = QStringLiteral("alpha beta gamma delta epsilon zeta eta theta");
    FittedLabel probe(&window);
    const int lineHeight = probe.fontMetrics().height();
    const int wordWidth = probe.fontMetrics().horizontalAdvance(QStringLiteral("epsilon  "));
    const int textWidth = probe.fontMetrics().horizontalAdvance(sentence);

    struct Case {
        const char* name;
        bool wrap;
        int width;
        int height;
        int lines;  // lines shown; -1: one line elided
    };
    const Case cases[] = {
        {"fits on one line", false, textWidth + 2, lineHeight, 1},
        {"one line too narrow", false, textWidth / 2, lineHeight, -1},
        {"two and a half lines high", true, wordWidth, lineHeight * 5 / 2, 2},
        {"exactly three lines high", true, wordWidth, lineHeight * 3, 3},
        {"lower than a line", true, wordWidth, lineHeight - 1, 0},
        {"room for all", true, textWidth + 2, lineHeight * 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FittedLabel label(sentence, &window);
        label.setWordWrap(c.wrap);
        label.setGeometry(0, 0, c.width, c.height);
        const QString shown = label.shownText();
        EXPECT_EQ(label.text(), sentence);
        if (c.lines < 0) {
            EXPECT_TRUE(shown.endsWith(QChar(0x2026)));
            EXPECT_LE(label.fontMetrics().horizontalAdvance(shown), c.width);
            continue;
        }
        const QStringList lines = shown.isEmpty() ? QStringList() : shown.split(QLatin1Char('\n'));
        EXPECT_EQ(lines.size(), c.lines);
        for (const QString& line : lines) {
            // Whole words only, each line within the width.
            EXPECT_TRUE(sentence.contains(line)) << line.toStdString();
            EXPECT_LE(label.fontMetrics().horizontalAdvance(line), c.width);
        }
    }
}

TEST(PlaceTextTwips, CaptionsGrowIntoTheirRoomThenShrinkButNeverMove) {
    // A frame 300 px wide; captions placed 30 px (450 twips) from its left edge.
    QWidget frame;
    frame.setFont(uiFont());
    frame.resize(300, 100);
    const QString caption = QStringLiteral("ウィンドウの表示を設定する");
    QLabel probe(caption, &frame);
    const int needed = probe.sizeHint().width();
    ASSERT_GT(needed, 60);
    ASSERT_LT(needed, 300 - 30 - 4);

    struct Case {
        const char* name;
        int left;   // twips
        int width;  // twips
        bool shrinks;
    };
    const Case cases[] = {
        {"box wide enough", 450, pixelsToTwips(needed + 10), false},
        {"narrow box, room beside it", 450, 900, false},
        {"no room before the frame's edge", pixelsToTwips(300 - 4 - needed * 6 / 7), 900, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (bool checkBox : {false, true}) {
            QWidget* widget = checkBox ? static_cast<QWidget*>(new QCheckBox(caption, &frame))
                                       : new QLabel(caption, &frame);
            placeTextTwips(widget, c.left, 300, c.width, 180);
            EXPECT_EQ(widget->x(), twipsToPixels(c.left));
            EXPECT_LE(widget->sizeHint().width(), widget->width());
            EXPECT_LE(widget->geometry().right(), 300 - 4);
            EXPECT_GE(widget->width(), twipsToPixels(c.width));
            EXPECT_EQ(widget->font().pointSizeF() < frame.font().pointSizeF(), c.shrinks);
            delete widget;
        }
    }

    // A text box keeps its width and its font: its text scrolls.
    auto* box = new QLineEdit(caption + caption, &frame);
    placeTextTwips(box, 450, 300, 900, 270);
    EXPECT_EQ(box->geometry().left(), 30);
    EXPECT_EQ(box->width(), 60);
    EXPECT_EQ(box->font(), frame.font());
}

}  // namespace
