#pragma once

#include <QPoint>

// What the dialogs ask of the main window.
class DialogHost {
public:
    virtual ~DialogHost() = default;
    // The main window's top-left corner in twips; dialogs open 120 twips right of and
    // below it.
    virtual QPoint mainWindowTopLeftTwips() const = 0;
    // Enables or disables the two "最新の情報を取得(&R)" commands (mnuProperty, mnuRefresh).
    virtual void setRefreshCommandsEnabled(bool enabled) = 0;
    // Adds NewSiteRow to the site list (the new-site dialog's second step).
    virtual void mnuNewRdf_Click_Ret() = 0;
};

// Dialogs open this many twips right of and below the main window's top-left corner.
inline constexpr int kDialogOffsetTwips = 120;
