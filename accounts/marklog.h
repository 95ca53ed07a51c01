#pragma once

#include <QString>
#include <QStringList>

// An account's articles marked read here that the server has not taken yet, oldest first:
// accounts/<n>.marks beside config.ini, one article id a line. New marks are appended and
// synced to the disk before anything else happens to them, so that neither an exit nor a
// crash loses one; a line cut short by a crash is no mark. Runs on a worker.

[[nodiscard]] QString markLogPath(const QString& folder, int number);
// Appends ids, one a line, and waits for the disk. False with error set when it failed.
bool appendMarks(const QString& path, const QStringList& ids, QString* error = nullptr);
// The marks in the file, whole lines only; none when there is no file.
[[nodiscard]] QStringList readMarks(const QString& path);
// The file anew with ids alone (sent marks gone), atomically; no ids: no file.
bool rewriteMarks(const QString& path, const QStringList& ids, QString* error = nullptr);

// Where the headlines of the account were last read up to (its cursor): accounts/<n>.cursor.
[[nodiscard]] QString cursorPath(const QString& folder, int number);
[[nodiscard]] QString readCursor(const QString& path);
bool writeCursor(const QString& path, const QString& cursor);
