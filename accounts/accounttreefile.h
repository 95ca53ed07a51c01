#pragma once

#include <QString>

#include "accounts/accountclient.h"

// An account's folders and feeds as last fetched, kept in accounts/<n>.opml in the folder of
// config.ini so that the tree shows them at start without the network. OPML 2.0, UTF-8: one
// outline per folder (text = its title, with the folder's server id) and per feed (text and
// title = its title, xmlUrl = its feed URL, with the feed's server id and unread count), the
// account itself the outermost folder. The user's rsslist.opml never holds it.

// accounts/<n>.opml in folder.
[[nodiscard]] QString accountTreePath(const QString& folder, int number);

// Writes tree whole and atomically. False with error set when it failed. Runs on a worker.
bool writeAccountTreeFile(const QString& path, const AccountFolder& tree, QString* error = nullptr);
// The tree as written; an empty folder when there is no file or it cannot be read (with
// error set in the latter case). Runs on a worker: a tree may hold thousands of feeds.
[[nodiscard]] AccountFolder readAccountTreeFile(const QString& path, QString* error = nullptr);
