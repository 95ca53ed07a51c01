#pragma once

#include <QDateTime>
#include <QString>

#include "sitelist/opmlreader.h"

struct AppState;

// A site list that failed to load must not be lost when the program later saves over it.

// What a failed load of a site list is reported with.
[[nodiscard]] QString opmlLoadFailedText();

// Copies the file at path to path + ".broken-YYYYMMDD-HHMMSS" (now, local time) beside it,
// or into fallbackDir when its own folder takes no new file; "-2", "-3", ... follow the name
// when it is taken. Returns the copy's path, or the empty text when no copy could be made.
[[nodiscard]] QString keepBrokenList(const QString& path, const QDateTime& now,
                                     const QString& fallbackDir);

// After a failed load of path: when the file exists and is not empty, keeps a copy of it and
// tells the user in one message box, headed by opmlLoadFailedText(), why the load failed and where
// the copy is. True when it told the user; false for a missing or empty file (nothing to
// keep).
bool reportBrokenList(AppState& state, const QString& path, const OpmlLoadError& error);

// After a failed load of a list the user chose (not the working list): tells the user, in
// one message box headed by opmlLoadFailedText(), that the file could not be read and why.
// Nothing is written: the file is the user's, and nothing will save over it.
void reportUnreadableList(AppState& state, const QString& path, const OpmlLoadError& error);
