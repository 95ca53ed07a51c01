#include "sitepane/sitelistpane.h"

#include <QLineEdit>

#include "core/appstate.h"
#include "core/siterow.h"
#include "platform/desktop/screeninfo.h"
#include "sitelist/opml.h"
#include "sitepane/accounttrees.h"
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
    // Made after the view, so that its model has taken a new list in before the accounts'
    // folders are put back after it.
    accounts = new AccountTrees(state, this);
    properties->setAccountTrees(accounts);
    editor->setAccountTrees(accounts);
    connect(accounts, &AccountTrees::problem, this,
            [&host](const QString& text) { host.showStatus(text); });
    connect(accounts, &AccountTrees::aboutToReplace, this, [this](int account) {
        expandedKeys.clear();
        selectedKey.clear();
        const SiteTree::Node* top = state.siteTree.find(accountKeyPrefix(account));
        if (!top) {
            return;
        }
        QList<const SiteTree::Node*> pending{top};
        while (!pending.isEmpty()) {
            const SiteTree::Node* node = pending.takeLast();
            if (trvOPML->isNodeExpanded(node)) {
                expandedKeys.append(node->key);
                for (const SiteTree::Node* child : node->children) {
                    // Only a folder may be open: thousands of feeds need no asking.
                    if (child->image == kImageFolder) {
                        pending.append(child);
                    }
                }
            }
        }
        const SiteTree::Node* selected = trvOPML->selectedNode();
        if (selected && accountOfKey(selected->key) == account) {
            selectedKey = selected->key;
        }
    });
    connect(accounts, &AccountTrees::replaced, this, [this] {
        for (const QString& key : std::as_const(expandedKeys)) {
            trvOPML->expandNode(state.siteTree.find(key));
        }
        if (!selectedKey.isEmpty()) {
            // The entry may have gone (unsubscribed): its account's folder is shown instead,
            // or, when that went too, the entry the view moved the selection to.
            const SiteTree::Node* again = state.siteTree.find(selectedKey);
            if (!again) {
                again = state.siteTree.find(accountKeyPrefix(accountOfKey(selectedKey)));
            }
            if (again) {
                trvOPML->selectNode(again);
            }
            properties->trvOPML_NodeClick();
        }
        expandedKeys.clear();
        selectedKey.clear();
    });
    connect(trvOPML, &SiteTreeView::editMenuRequested, this,
            [&host](const QPoint& globalPos) { host.popupEditMenu(globalPos); });
    setTabOrder(trvOPML, properties->txtTitle);

    const int width = twipsToPixels(kWidthTwips);
    const int height = twipsToPixels(kHeightTwips);
    setMinimumSize(width, height);
    resize(width, height);
}

void SiteListPane::useAccounts(AccountsService* service) {
    accounts->useService(service);
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
