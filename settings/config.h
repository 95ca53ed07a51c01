#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QtGlobal>
#include <optional>

#include "settings/numbertext.h"

struct AppState;

// The settings record's defaults and its file, config.ini in the program directory, with one
// section named after the executable's base name.

// Every settings field to its default (TICKER_LEFT from the screen width), the site-list flag
// cleared and NewsQueue and ListArticles emptied. The site table is left alone.
void InitDefaults(AppState& state);

// Reads config.ini over the current values. False when there is no such file. A key that
// is missing, empty or does not convert leaves its field as it was.
bool LoadSettings(AppState& state);

// Writes config.ini as a whole, readable by the user alone. False when it could not be
// written (error, when given, says why); the old file then stays as it was.
[[nodiscard]] bool SaveSettings(const AppState& state, QString* error = nullptr);

// The value text from the profile reader's first count bytes: UTF-8, spaces at both ends
// removed.
[[nodiscard]] QString IniValueText(const QByteArray& buffer, qsizetype count);

// "1" for true, "0" for false.
[[nodiscard]] QString FlagText(bool value);

// The eighteen "KEY=value" lines of config.ini below its section line, in file order.
[[nodiscard]] QStringList settingsLines(const AppState& state);

// Shortest decimal form with at most seven significant digits, never in exponent notation:
// 8160 -> "8160", 12.5 -> "12.5", 12345678 -> "12345680".
[[nodiscard]] QString floatText(float value);
