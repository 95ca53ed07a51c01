#pragma once

#include <QPoint>
#include <QString>

class SiteIcons;

// What the site list pane asks of the main window that embeds it.
class SiteListHost {
public:
    virtual ~SiteListHost() = default;
    // Opens the new-site dialog (modeless); it calls SiteTreeEditor::mnuNewRdf_Click_Ret when
    // the user registers the site.
    virtual void openNewSiteDialog() = 0;
    // Enables or disables the Edit menu's paste command (mnuEPaste).
    virtual void setPasteEnabled(bool enabled) = 0;
    // Pops up the Edit menu (mnuEdit) at a screen position.
    virtual void popupEditMenu(const QPoint& globalPos) = 0;
    // Puts a text into the main window's status bar.
    virtual void showStatus(const QString& text) = 0;
    // The sites' icons the tree shows; null: the tree shows the site picture for every site.
    [[nodiscard]] virtual SiteIcons* siteIcons() { return nullptr; }
};
