#pragma once

#include <QPoint>

class QWidget;

// Placement shared by every window. Twips are the truth; widget pixels are derived from
// them (15 twips to a pixel, rounded).

// Sets a child's pixel geometry from twips. Both edges are rounded, so a widget whose
// right end is fixed in twips keeps it in pixels while its left edge moves.
void placeTwips(QWidget* widget, int left, int top, int width, int height);

// Like placeTwips for a widget that shows text (label, check box, option button, text
// box): the twips were made for a 12-pixel font, and the fonts here, Japanese fallback
// included, need a little more. The widget grows to its size hint where the twips are
// smaller: a caption wider to the right (moving left where it would cross its frame's
// right edge), and any of them taller about the same vertical centre, so that a label
// stays level with the text box beside it. Text boxes keep their width.
void placeTextTwips(QWidget* widget, int left, int top, int width, int height);

// Gives a top-level window a fixed client size in twips.
void setClientSizeTwips(QWidget* window, int width, int height);

// Moves a top-level window's outer top-left corner to a point in twips.
void moveWindowTwips(QWidget* window, QPoint topLeftTwips);

// Shows a window, or brings it forward when it is already shown.
void showInFront(QWidget* window);
