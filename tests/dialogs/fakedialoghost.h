#pragma once

#include <QList>
#include <QPoint>

#include "core/appstate.h"
#include "ui/dialoghost.h"

// The main window as the dialogs see it: a fixed position, and records of what they ask.
class FakeDialogHost final : public DialogHost {
public:
    explicit FakeDialogHost(AppState& appState) : state(appState) {}

    [[nodiscard]] QPoint mainWindowTopLeftTwips() const override { return topLeft; }
    void setRefreshCommandsEnabled(bool enabled) override { refreshEnabled.append(enabled); }
    void mnuNewRdf_Click_Ret() override { addedRows.append(state.NewSiteRow); }

    QPoint topLeft{3000, 1500};
    QList<bool> refreshEnabled;
    // NewSiteRow as it stood at each call.
    QList<SiteRow> addedRows;

private:
    AppState& state;
};
