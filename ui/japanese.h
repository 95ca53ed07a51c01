#pragma once

class QTranslator;

// Makes Qt's own dialogs and buttons speak Japanese, whatever the locale: loads Qt's
// Japanese translation into translator (which must live as long as the application) and
// installs it. Nothing happens when the translation is not installed.
void installJapaneseQtTexts(QTranslator& translator);
