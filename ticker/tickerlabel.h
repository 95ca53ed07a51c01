#pragma once

#include <QLabel>

// A one-line text label that puts its baseline at the UI font's ascent below its top,
// whatever fonts the text falls back to. Japanese glyphs come from a fallback font whose
// line is about 17 px high at 9 pt; laid out by that line, a headline would sink below the
// ticker's 12 px rows. The glyphs themselves fit the UI font's line.
class TickerLabel : public QLabel {
    Q_OBJECT
public:
    TickerLabel(const QString& text, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};
