#pragma once

#include <QLabel>

class QTextLayout;

// A label that never shows a text cut off at its edge. On one line, a text wider than the
// box is elided with "…" at its end, and the tool tip shows it whole; with word wrap, only
// the lines that fit whole into the box's height are drawn. text() stays the whole text.
// The text is drawn as plain text.
class FittedLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

    // What the label draws: the text, elided or cut to its whole lines (joined by "\n").
    [[nodiscard]] QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    // Lays the text out in lines of the contents' width; returns how many fit whole.
    int layoutWholeLines(QTextLayout& layout) const;
};
