#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "sitelist/opmlreader.h"

struct AppState;

// Reading and writing the site list as OPML.

// Replaces the site tree and table with the list in the OPML file at path, numbering rows
// from 0 in document order. All or nothing: on false the previous tree, table and
// blnSiteListFlg are exactly as they were, and error (when given) says why. A missing file is
// reported in a message box; other failures are left to the caller to report.
[[nodiscard]] bool LoadOpml(AppState& state, const QString& path, OpmlLoadError* error = nullptr);

// False, after the message a missing file gets, when there is no file at path.
[[nodiscard]] bool opmlFileExists(AppState& state, const QString& path);

// Puts a list that was read successfully in place of the tree, the table and blnSiteListFlg.
void applyOpml(AppState& state, OpmlList&& list);

// The list as the tree's nodes reach it (deleted entries and everything under them left out,
// siblings in node-collection order), as the bytes of an OPML file: UTF-8, CR LF line ends,
// characters XML forbids left out. Nothing when the folders nest deeper than a reader
// accepts: such a file could not be loaded again.
[[nodiscard]] std::optional<QByteArray> opmlBytes(const AppState& state);

// Writes opmlBytes to path through a temporary file. False when nothing was written.
bool SaveOpml(const AppState& state, const QString& path);

// Writes the tree to the working list, rsslist.opml in the program directory: the text is
// made now, the file written on the saver's worker (AppState::siteListSaver), where saves
// asked in quick succession coalesce. The result is not reported.
void saveWorkingList(AppState& state);

// The outline lines of everything under the folder node keyed folderKey, its direct
// contents indented by indent spaces and each level below by one more.
[[nodiscard]] QString OutlineChildrenText(const AppState& state, const QString& folderKey,
                                          int indent);

// text with "&", "<", ">" and "\"" written as entity references; all else unchanged.
[[nodiscard]] QString XmlEscape(const QString& text);
