#pragma once

#include <QSet>
#include <QString>

// The feeds of an account kept out of the ticker: our own choice (the server has no such
// field), accounts/<n>.hidden beside config.ini, one server feed id a line (UTF-8, sorted).
// Keyed by the feed's id rather than its URL: every headline names its feed by id, while
// its URL is only known through the tree, and the id stays when the feed's address is
// changed on the server. No file: every feed goes to the ticker. Runs on a worker.

[[nodiscard]] QString hiddenFeedsPath(const QString& folder, int number);
// The ids in the file; false with error set when it exists and cannot be read (it is not
// to be written over then).
bool readHiddenFeeds(const QString& path, QSet<QString>& ids, QString* error = nullptr);
// The file anew with ids, atomically; no ids: no file.
bool writeHiddenFeeds(const QString& path, const QSet<QString>& ids, QString* error = nullptr);
