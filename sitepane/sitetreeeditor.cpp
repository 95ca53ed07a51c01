#include "sitepane/sitetreeeditor.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHash>
#include <QList>
#include <QPointer>

#include "accounts/accountsservice.h"
#include "core/appstate.h"
#include "platform/modal/messagebox.h"
#include "sitelist/opml.h"
#include "sitepane/accounttrees.h"
#include "sitepane/propertiespanel.h"
#include "sitepane/sitelisthost.h"
#include "sitepane/sitetreeview.h"

namespace {

using Node = SiteTree::Node;

constexpr char kNewFolderTitle[] = QT_TRANSLATE_NOOP("SiteTreeEditor", "新しいフォルダ");

}  // namespace

SiteTreeEditor::SiteTreeEditor(AppState& appState, SiteTreeView& tree,
                               PropertiesPanel& propertiesPanel, SiteListHost& siteListHost,
                               QObject* parent)
    : QObject(parent), state(appState), trvOPML(tree), panel(propertiesPanel), host(siteListHost) {
    // A load numbers the rows afresh: the clipboard's key may now name another entry.
    connect(&state.siteTree, &SiteTree::treeReset, this, [this] {
        if (intClipMode != 0) {
            clipStale = true;
        }
    });
}

SiteTreeEditor::Allowance SiteTreeEditor::allowance() const {
    const Node* selection = trvOPML.selectedNode();
    if (!AccountTrees::isAccountNode(selection)) {
        return {};
    }
    const AccountTrees::Entry* entry = accountTrees ? accountTrees->entryOf(selection) : nullptr;
    return {false, true, entry && entry->kind == AccountTrees::Entry::Kind::Feed};
}

QString SiteTreeEditor::serverKeepsText() {
    return tr("この項目はサーバーが管理しています。サーバーで変更してください。");
}

bool SiteTreeEditor::refusedInAccount() {
    if (!AccountTrees::isAccountNode(trvOPML.selectedNode())) {
        return false;
    }
    host.showStatus(serverKeepsText());
    return true;
}

void SiteTreeEditor::subscribeInAccount(const Node* selection, const QString& url) {
    const AccountTrees::Entry* entry = accountTrees ? accountTrees->entryOf(selection) : nullptr;
    AccountsService* service = accountTrees ? accountTrees->service() : nullptr;
    AccountClient* client = entry && service ? service->client(entry->account) : nullptr;
    if (!client) {
        state.seams.messageBox.show(
            tr("このアカウントにはまだ接続していないので、購読できません。"), state.exeBaseName(),
            MsgButtons::Ok, MsgIcon::Warning);
        return;
    }
    const int account = entry->account;
    host.showStatus(tr("サーバーに購読を頼んでいます: %1").arg(url));
    client->subscribe(
        url, entry->folderId,
        [self = QPointer<SiteTreeEditor>(this), account, url](
            const AccountSubscription& subscription, const AccountError& error) {
            if (!self) {
                return;
            }
            AppState& appState = self->state;
            if (!error.ok() || !subscription.subscribed()) {
                const QString why = error.ok() ? subscription.describe() : error.message;
                self->host.showStatus(QString());
                appState.seams.messageBox.show(
                    tr("%1 を購読できませんでした。\r\n%2").arg(url, why), appState.exeBaseName(),
                    MsgButtons::Ok, MsgIcon::Warning);
                return;
            }
            self->host.showStatus(subscription.describe() + QStringLiteral(": ") + url);
            if (self->accountTrees) {
                self->accountTrees->refreshFromServer(account);
            }
        });
}

void SiteTreeEditor::unsubscribeInAccount(const Node* selection) {
    const AccountTrees::Entry* entry = accountTrees ? accountTrees->entryOf(selection) : nullptr;
    if (!entry || entry->kind != AccountTrees::Entry::Kind::Feed) {
        host.showStatus(serverKeepsText());
        return;
    }
    const QString question =
        tr("「%1」の購読をサーバーで解除します。\r\nよろしいですか。").arg(entry->title);
    state.seams.messageBox.ask(
        question, state.exeBaseName(), MsgButtons::OkCancel, MsgIcon::Question,
        [self = QPointer<SiteTreeEditor>(this), account = entry->account, feedId = entry->id,
         title = entry->title](MsgResult answer) {
            if (answer != MsgResult::Ok || !self || !self->accountTrees) {
                return;
            }
            AccountsService* service = self->accountTrees->service();
            AccountClient* client = service ? service->client(account) : nullptr;
            if (!client) {
                return;
            }
            client->unsubscribe(feedId, [self, account, title](bool, const AccountError& error) {
                if (!self) {
                    return;
                }
                if (!error.ok()) {
                    self->state.seams.messageBox.show(
                        tr("「%1」の購読を解除できませんでした。\r\n%2").arg(title, error.message),
                        self->state.exeBaseName(), MsgButtons::Ok, MsgIcon::Warning);
                    return;
                }
                self->host.showStatus(tr("「%1」の購読を解除しました").arg(title));
                if (self->accountTrees) {
                    self->accountTrees->refreshFromServer(account);
                }
            });
        });
}

void SiteTreeEditor::showNode(Node* node) {
    trvOPML.selectNode(node);
    panel.trvOPML_NodeClick();
}

bool SiteTreeEditor::commonGuard() {
    if (state.siteTree.nodeCount() < 1) {
        panel.intCurrentIndex = -1;
    }
    return panel.intCurrentIndex >= 0;
}

Node* SiteTreeEditor::placementParent() {
    Node* selection = trvOPML.selectedNode();
    if (!selection) {
        return nullptr;
    }
    if (selection->image == kImageFolder) {
        return selection;
    }
    return selection->parent;
}

int SiteTreeEditor::takeNewRow() {
    SiteRowArray& table = state.SiteTable;
    // Without a list the first entry is row 0 of a fresh table. (Only the editor adds rows,
    // so rows without the flag belong to no node.)
    if (!state.blnSiteListFlg && state.siteTree.nodeCount() == 0) {
        table.clear();
    }
    const int index = table.lastIndex() + 1;
    if (!table.growTo(index)) {
        warnTableFull();
        return -1;
    }
    return index;
}

void SiteTreeEditor::warnTableFull() {
    state.seams.messageBox.show(tr("サイト一覧がいっぱいです"), state.exeBaseName(), MsgButtons::Ok,
                                MsgIcon::Warning);
}

void SiteTreeEditor::mnuNewFolder_Click() {
    if (refusedInAccount()) {
        return;
    }
    const int index = takeNewRow();
    if (index < 0) {
        return;
    }
    Node* parent = state.siteTree.nodeCount() >= 1 ? placementParent() : nullptr;
    Node* node =
        state.siteTree.addNode(parent, keyOfIndex(index), tr(kNewFolderTitle), kImageFolder);
    if (!node) {
        return;  // key taken: cannot happen while rows are only appended
    }
    SiteRow& row = state.SiteTable[index];
    row.intKind = kKindFolder;
    row.strTitle = tr(kNewFolderTitle);
    panel.intCurrentIndex = qint16(index);

    showNode(node);
    state.blnSiteListFlg = true;
    saveWorkingList(state);
}

void SiteTreeEditor::mnuNewRdf_Click() {
    host.openNewSiteDialog();
}

void SiteTreeEditor::mnuNewRdf_Click_Ret() {
    // Within an account's folder a new site is a subscription on the server.
    if (const Node* selection = trvOPML.selectedNode(); AccountTrees::isAccountNode(selection)) {
        subscribeInAccount(selection, state.NewSiteRow.strXmlUrl);
        return;
    }
    const int index = takeNewRow();
    if (index < 0) {
        return;
    }
    Node* parent =
        panel.intCurrentIndex >= 0 && state.siteTree.nodeCount() >= 1 ? placementParent() : nullptr;
    SiteRow& row = state.SiteTable[index];
    row = state.NewSiteRow;
    Node* node = state.siteTree.addNode(parent, keyOfIndex(index), row.strTitle, kImageSite);
    if (!node) {
        row = SiteRow{};
        return;
    }
    if (parent) {
        trvOPML.expandNode(parent);
    }
    showNode(node);
    state.blnSiteListFlg = true;
    saveWorkingList(state);
}

Node* SiteTreeEditor::clipNode() const {
    if (intClipMode == 0 || clipStale) {
        return nullptr;
    }
    return state.siteTree.find(clipKey);
}

void SiteTreeEditor::releaseCut() {
    if (intClipMode == 1) {
        if (const Node* cut = clipNode()) {
            trvOPML.setNodeCut(cut, false);
        }
    }
}

void SiteTreeEditor::clearClipboard() {
    releaseCut();
    intClipMode = 0;
    clipKey.clear();
    clipStale = false;
    host.setPasteEnabled(false);
}

void SiteTreeEditor::takeIntoClipboard(qint16 mode) {
    if (refusedInAccount()) {
        return;
    }
    if (!commonGuard()) {
        return;
    }
    Node* selection = trvOPML.selectedNode();
    if (!selection) {
        return;
    }
    releaseCut();
    intClipMode = mode;
    intClipNode = state.siteTree.positionOf(selection);
    clipKey = selection->key;
    clipStale = false;
    if (mode == 1) {
        trvOPML.setNodeCut(selection, true);
    }
    host.setPasteEnabled(true);
}

void SiteTreeEditor::mnuETriming_Click() {
    takeIntoClipboard(1);
}

void SiteTreeEditor::mnuECopy_Click() {
    takeIntoClipboard(2);
}

void SiteTreeEditor::mnuEPaste_Click() {
    if (intClipMode == 0 || refusedInAccount()) {
        return;
    }
    Node* source = clipNode();
    if (!source) {
        // The entry is gone (deleted, or another list was loaded): nothing to paste.
        clearClipboard();
        return;
    }
    if (intClipMode == 1) {
        pasteCut(source);
    } else {
        pasteCopy(source);
    }
}

void SiteTreeEditor::pasteCut(Node* source) {
    // A folder cannot move into itself or below itself: the tree stays and the cut pending.
    if (!state.siteTree.moveNode(source, placementParent())) {
        return;
    }
    trvOPML.setNodeCut(source, false);
    intClipNode = -1;
    intClipMode = 0;
    clipKey.clear();
    host.setPasteEnabled(false);
    saveWorkingList(state);
}

void SiteTreeEditor::pasteCopy(Node* source) {
    SiteTree& tree = state.siteTree;
    SiteRowArray& table = state.SiteTable;
    const auto rowOf = [&table](const Node* node) -> const SiteRow* {
        const int index = indexOfKey(node->key);
        return table.isValidIndex(index) ? &table[index] : nullptr;
    };
    if (!rowOf(source)) {
        return;
    }

    // Plan the whole copy before changing anything, so that a copy that does not fit in the
    // table changes nothing. The source first, then folder by folder (level by level) each
    // folder's entries in node-collection order. Only nodes that exist now are planned, so a
    // folder pasted into its own subtree is copied exactly once.
    struct Planned {
        const Node* from;
        qsizetype parentCopy;  // plan position of the copy to add under; -1: the paste target
    };
    QList<Planned> plan{{source, -1}};
    if (rowOf(source)->intKind == kKindFolder) {
        // Children of every node in collection order, in one pass over the collection.
        QHash<const Node*, QList<const Node*>> childrenOf;
        for (int position = 1; position <= tree.nodeCount(); ++position) {
            const Node* node = tree.nodeAt(position);
            if (node->parent && rowOf(node)) {
                childrenOf[node->parent].append(node);
            }
        }
        QList<qsizetype> folders{0};
        for (qsizetype f = 0; f < folders.size(); ++f) {
            const qsizetype folderCopy = folders.at(f);
            for (const Node* child : childrenOf.value(plan.at(folderCopy).from)) {
                plan.append({child, folderCopy});
                if (rowOf(child)->intKind == kKindFolder) {
                    folders.append(plan.size() - 1);
                }
            }
        }
    }
    if (table.lastIndex() + 1 + plan.size() > kMaxSiteRows) {
        warnTableFull();
        return;
    }

    Node* target = placementParent();
    QList<Node*> copies;
    copies.reserve(plan.size());
    for (const Planned& planned : plan) {
        const SiteRow row = *rowOf(planned.from);
        const int index = table.append(row);
        Node* under = planned.parentCopy < 0 ? target : copies.at(planned.parentCopy);
        copies.append(tree.addNode(under, keyOfIndex(index), row.strTitle, row.intKind));
    }
    // The clipboard stays: the same entry can be pasted again.
    saveWorkingList(state);
}

void SiteTreeEditor::mnuDelete_Click() {
    if (const Node* selection = trvOPML.selectedNode(); AccountTrees::isAccountNode(selection)) {
        unsubscribeInAccount(selection);
        return;
    }
    Node* node = commonGuard() ? state.siteTree.find(keyOfIndex(panel.intCurrentIndex)) : nullptr;
    if (!node || !state.SiteTable.isValidIndex(panel.intCurrentIndex)) {
        deleteEntry(nullptr);
        return;
    }
    const QString question = tr("「%1」を削除します。\r\nよろしいですか。")
                                 .arg(state.SiteTable[panel.intCurrentIndex].strTitle);
    state.seams.messageBox.ask(
        question, state.exeBaseName(), MsgButtons::OkCancel, MsgIcon::Question,
        [this, node, key = node->key, resets = state.siteTree.resetCount()](MsgResult answer) {
            if (answer != MsgResult::Ok) {
                return;
            }
            // Whatever happened while the question was open (a list loaded from the File
            // menu, say), only the entry asked about is deleted.
            if (state.siteTree.resetCount() == resets && state.siteTree.find(key) == node) {
                deleteEntry(node);
            }
        });
}

void SiteTreeEditor::deleteEntry(Node* node) {
    if (node) {
        clearClipboard();
        // Every row under the entry goes with it: its nodes leave the tree, and a row left
        // undeleted without a node would still be patrolled.
        QList<const Node*> doomed{node};
        for (qsizetype i = 0; i < doomed.size(); ++i) {
            const Node* n = doomed.at(i);
            const int index = indexOfKey(n->key);
            if (state.SiteTable.isValidIndex(index)) {
                state.SiteTable[index].blnDeleted = true;
            }
            for (const Node* child : n->children) {
                doomed.append(child);
            }
        }
        state.siteTree.removeNode(node);
        panel.trvOPML_NodeClick();
    }
    if (state.siteTree.nodeCount() < 1) {
        panel.clearPanel();
    }
    saveWorkingList(state);
}

void SiteTreeEditor::putOnSystemClipboard(const QString& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

void SiteTreeEditor::mnuCopyTitle_Click() {
    if (const Node* selection = trvOPML.selectedNode(); AccountTrees::isAccountNode(selection)) {
        putOnSystemClipboard(selection->text);
        return;
    }
    if (!commonGuard()) {
        return;
    }
    if (const Node* selection = trvOPML.selectedNode()) {
        putOnSystemClipboard(selection->text);
    }
}

void SiteTreeEditor::mnuCopyURL_Click() {
    // A server's feed has no homepage here: its feed URL is what there is to copy.
    if (const Node* selection = trvOPML.selectedNode(); AccountTrees::isAccountNode(selection)) {
        const AccountTrees::Entry* entry =
            accountTrees ? accountTrees->entryOf(selection) : nullptr;
        if (entry && entry->kind == AccountTrees::Entry::Kind::Feed) {
            putOnSystemClipboard(entry->feedUrl);
        }
        return;
    }
    if (!commonGuard() || !state.SiteTable.isValidIndex(panel.intCurrentIndex)) {
        return;
    }
    // The homepage, not the feed; a folder's is empty.
    putOnSystemClipboard(state.SiteTable[panel.intCurrentIndex].strHtmlUrl);
}
