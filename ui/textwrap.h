#pragma once

#include <QString>

class QFont;
class QLabel;
class QPlainTextEdit;

// Makes a read-only text box wrap its lines within the width that stays visible: at word
// boundaries, or anywhere in a word longer than a line (an e-mail address), never
// scrolling sideways, and with the vertical scroll bar beside the text also in styles
// that would lay it over the text.
void wrapWithinVisibleWidth(QPlainTextEdit* box);

// The width a word-wrapped label's text is best set in within a room roomWidth wide: the
// narrowest at which it takes no more lines than at roomWidth (lines of even length rather
// than a last line of one word), never narrower than its longest word or other piece that
// cannot be broken (a text of one word keeps it on one line, whole), and never wider than
// the room.
[[nodiscard]] int balancedWrapWidth(const QLabel& label, int roomWidth);

// The width of the widest piece of text that no line may break (a word; a single
// character of Japanese text), in the font's pixels.
[[nodiscard]] int widestUnbreakablePiece(const QString& text, const QFont& font);
