#pragma once

class QPlainTextEdit;

// Makes a read-only text box wrap its lines within the width that stays visible: at word
// boundaries, or anywhere in a word longer than a line (an e-mail address), never
// scrolling sideways, and with the vertical scroll bar beside the text also in styles
// that would lay it over the text.
void wrapWithinVisibleWidth(QPlainTextEdit* box);
