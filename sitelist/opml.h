#pragma once

#include <QString>

struct AppState;

// Reading and writing the site list as OPML.

// Replaces the site tree and table with the list in the OPML file at path, numbering rows
// from 0 in document order. All or nothing: on false the previous tree, table and
// blnSiteListFlg are exactly as they were. A missing file is reported in a message box;
// other failures are left to the caller to report.
[[nodiscard]] bool LoadOpml(AppState& state, const QString& path);

// Writes the list as the tree's nodes reach it (deleted entries and everything under them
// left out, siblings in node-collection order) to path, in UTF-8 with CR LF line ends,
// through a temporary file. False when nothing was written.
bool SaveOpml(const AppState& state, const QString& path);

// The outline lines of everything under the folder node keyed folderKey, its direct
// contents indented by indent spaces and each level below by one more.
[[nodiscard]] QString OutlineChildrenText(const AppState& state, const QString& folderKey,
                                          int indent);

// text with "&", "<", ">" and "\"" written as entity references; all else unchanged.
[[nodiscard]] QString XmlEscape(const QString& text);
