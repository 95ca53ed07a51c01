#pragma once

#include <QPoint>

class QLineEdit;
class QWidget;

// Placement shared by every window. Twips are the truth; widget pixels are derived from
// them (15 twips to a pixel, rounded).

// Sets a child's pixel geometry from twips. Both edges are rounded, so a widget whose
// right end is fixed in twips keeps it in pixels while its left edge moves.
void placeTwips(QWidget* widget, int left, int top, int width, int height);

// Like placeTwips for a widget that shows text (label, check box, option button, text
// box): the twips were made for a narrower 9 pt font than the desktop's. The widget stays
// where the twips put it. A caption wider than its box grows to the right into the room
// left before its frame's edge; where that is not enough, its font shrinks until the
// caption fits. Any of them grows taller to its size hint about the same vertical centre,
// so that a label stays level with the text box beside it. Text boxes keep their width.
void placeTextTwips(QWidget* widget, int left, int top, int width, int height);

// placeTextTwips for a box that takes a short number: while its text is too wide to show
// whole without scrolling (four digits in a box made for three), its font is smaller, just
// enough; it returns to its size when the text fits again.
void placeNumberBoxTwips(QLineEdit* box, int left, int top, int width, int height);

// Gives a top-level window a fixed client size in twips.
void setClientSizeTwips(QWidget* window, int width, int height);

// Moves a top-level window's outer top-left corner to a point in twips.
void moveWindowTwips(QWidget* window, QPoint topLeftTwips);

// Shows a window, or brings it forward when it is already shown.
void showInFront(QWidget* window);
