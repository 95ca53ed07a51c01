#pragma once

#include <QString>
#include <QStringList>
#include <QTranslator>

// The language the windows speak when nothing else is chosen: the texts' own.
inline constexpr char kSourceLanguage[] = "ja";

// The language code ("en", "ja") of a UI language name as QLocale::uiLanguages() gives it
// ("en-GB", "ja_JP.UTF-8", "C"), in lower case.
[[nodiscard]] QString languageCode(const QString& uiLanguage);

// The language to speak, for the user's UI languages in their order of preference: the first
// one the program speaks (the source language or one of available) decides; when none is
// ("C", "POSIX", an empty list), the source language.
[[nodiscard]] QString chooseUiLanguage(const QStringList& uiLanguages,
                                       const QStringList& available);

// Where the program's translations are looked for: the installed share folder
// (../share/quorvane3/translations) and the folder beside the executable.
[[nodiscard]] QStringList translationFolders();

// The languages of the translations ("quorvane3_<code>.qm") in folders.
[[nodiscard]] QStringList availableTranslations(const QStringList& folders);

// The program's texts and Qt's own (dialog buttons, context menus) in one language,
// installed in the application for as long as this lives.
class UiTranslation {
public:
    // Installs language from the first of folders that holds it. When the program's
    // translation is missing, the source language is spoken, Qt's texts included.
    UiTranslation(const QString& language, const QStringList& folders);
    ~UiTranslation();
    UiTranslation(const UiTranslation&) = delete;
    UiTranslation& operator=(const UiTranslation&) = delete;

    // The language actually spoken.
    [[nodiscard]] const QString& language() const { return spoken; }

private:
    QTranslator own;
    QTranslator qt;
    QString spoken;
};

// The language the system's UI languages (LANGUAGE, LC_ALL, LC_MESSAGES, LANG) choose among
// those found in folders; the source language under the C (POSIX) locale.
[[nodiscard]] QString systemUiLanguage(const QStringList& folders);
