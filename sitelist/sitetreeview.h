#pragma once

#include <QHash>
#include <QIcon>
#include <QList>
#include <QTreeWidget>

#include "sitelist/sitetree.h"

// The site tree widget trvOPML. It only displays a SiteTree and follows its signals; it never
// changes the model. What the user does to it (selection changes, accepted label edits,
// right-button releases) comes out as signals for the pane to act on.
//
// Items are found from nodes through a hash, so every model change costs time independent of
// the list's size. After the model is cleared (a list being loaded), added nodes are built
// into detached items and attached in one batch on the next syncWithModel() (every public
// operation calls it; so does the event loop's next turn): a 30 000-entry load stays linear.
class SiteTreeView : public QTreeWidget {
    Q_OBJECT
public:
    explicit SiteTreeView(SiteTree& tree, QWidget* parent = nullptr);

    // Attaches nodes built since the model was last cleared.
    void syncWithModel();

    // The selected node; null when nothing is selected.
    [[nodiscard]] SiteTree::Node* selectedNode();
    // Selects node (null: nothing) and scrolls to it, expanding its ancestors. Emits no
    // nodeClicked: the caller decides whether the panel is filled.
    void selectNode(const SiteTree::Node* node);
    [[nodiscard]] QTreeWidgetItem* itemOf(const SiteTree::Node* node);
    [[nodiscard]] SiteTree::Node* nodeOf(const QTreeWidgetItem* item) const;

    // Shows node in the disabled-text (grey) colour while it is a pending cut; back in the
    // normal text colour when released.
    void setNodeCut(const SiteTree::Node* node, bool cut);
    [[nodiscard]] bool isNodeCut(const SiteTree::Node* node);
    void expandNode(const SiteTree::Node* node);
    // Opens the in-place label editor on node.
    void editNode(const SiteTree::Node* node);

Q_SIGNALS:
    // The user moved the selection to another node (click or keyboard).
    void nodeClicked();
    // The user accepted an in-place edit of node's label; not emitted when it was cancelled.
    void labelEdited(SiteTree::Node* node, const QString& newLabel);
    // The right mouse button was released over the tree, or the menu key was pressed.
    void editMenuRequested(const QPoint& globalPos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void onCleared();
    void onAdded(SiteTree::Node* node);
    void onAboutToBeRemoved(SiteTree::Node* node);
    void onMoved(SiteTree::Node* node, SiteTree::Node* oldParent);
    void onTextChanged(SiteTree::Node* node);

    [[nodiscard]] QTreeWidgetItem* makeItem(const SiteTree::Node* node) const;
    // Items of node and everything under it, node first.
    [[nodiscard]] QList<QTreeWidgetItem*> subtreeItems(QTreeWidgetItem* item) const;

    SiteTree& model;
    QHash<const SiteTree::Node*, QTreeWidgetItem*> items;
    // Top-level items built since the model was cleared and not yet attached.
    QList<QTreeWidgetItem*> pendingTopLevel;
    bool pending = false;
    // Above 0 while the view changes its own selection: no nodeClicked then.
    int internalChange = 0;
    // The node whose label editor is open.
    SiteTree::Node* editingNode = nullptr;
    QIcon folderIcon;
    QIcon siteIcon;
};
