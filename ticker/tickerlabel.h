#pragma once

#include <QColor>
#include <QLabel>

// A one-line text label that puts its baseline at the UI font's ascent below its top,
// whatever fonts the text falls back to. Japanese glyphs come from a fallback font whose
// line is about 17 px high at 9 pt; laid out by that line, a headline would sink below the
// ticker's 12 px rows. The glyphs themselves fit the UI font's line. Where the box is too
// low for the ascent and the glyphs' real descent, the baseline rises so that descenders
// ("g", "y", the tail of "Q") stay whole at its bottom.
//
// A text wider than the label (or than the width given to setElideWidth) ends in "…" instead
// of being cut through a character.
// Hides a widget that only draws (a backdrop, a copy of another text while it moves) from
// assistive technology: it is exposed as a plain area with nothing to read.
void markDecorative(QWidget* widget);

class TickerLabel : public QLabel {
    Q_OBJECT
public:
    TickerLabel(const QString& text, QWidget* parent);

    // The pixels the text may take; 0: the label's width.
    void setElideWidth(int pixels);
    // What is drawn.
    [[nodiscard]] QString shownText() const;
    // The text's colour; invalid: the palette's.
    void setTextColour(const QColor& colour);
    [[nodiscard]] const QColor& textColour() const { return colour; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // How far below the baseline the font's glyphs reach, in whole pixels.
    [[nodiscard]] int realDescent() const;

    int elideWidth = 0;
    QColor colour;
    // realDescent() for descentFont.
    mutable QFont descentFont;
    mutable int descent = -1;
};
