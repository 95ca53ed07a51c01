#include "sitepane/sitelistpane.h"

#include <QLineEdit>

#include "core/appstate.h"
#include "platform/desktop/screeninfo.h"
#include "sitelist/opml.h"
#include "sitepane/propertiespanel.h"
#include "sitepane/sitelisthost.h"
#include "sitepane/sitetreeeditor.h"
#include "sitepane/sitetreemodel.h"
#include "sitepane/sitetreeview.h"
#include "ui/twipslayout.h"
#include "ui/uifont.h"

SiteListPane::SiteListPane(AppState& appState, SiteListHost& host, QWidget* parent)
    : QWidget(parent), state(appState) {
    setObjectName(QStringLiteral("SiteListPane"));
    setFont(uiFont());

    trvOPML = new SiteTreeView(state.siteTree, this);
    if (SiteIcons* icons = host.siteIcons()) {
        trvOPML->siteModel().setSiteIcons(icons, &state.SiteTable);
    }
    placeTwips(trvOPML, 0, 0, 3735, 3855);
    properties = new PropertiesPanel(state, *trvOPML, host, this);
    placeTwips(properties, PropertiesPanel::kLeftTwips, 0,
               kWidthTwips - PropertiesPanel::kLeftTwips, kHeightTwips);
    editor = new SiteTreeEditor(state, *trvOPML, *properties, host, this);
    connect(trvOPML, &SiteTreeView::editMenuRequested, this,
            [&host](const QPoint& globalPos) { host.popupEditMenu(globalPos); });
    setTabOrder(trvOPML, properties->txtTitle);

    const int width = twipsToPixels(kWidthTwips);
    const int height = twipsToPixels(kHeightTwips);
    setMinimumSize(width, height);
    resize(width, height);
}

bool SiteListPane::selectFirstNode() {
    SiteTree::Node* first = state.siteTree.nodeAt(1);
    if (!first) {
        return false;
    }
    trvOPML->selectNode(first);
    properties->trvOPML_NodeClick();
    return true;
}

void SiteListPane::clearPanel() {
    properties->clearPanel();
}

void SiteListPane::saveList() {
    saveWorkingList(state);
}
