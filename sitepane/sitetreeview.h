#pragma once

#include <QSet>
#include <QString>
#include <QTreeView>

#include "core/sitetree.h"

class SiteTreeModel;

// The site tree widget trvOPML: a tree view over a SiteTreeModel of the SiteTree. It only
// displays the tree and never changes it; what the user does to it (selection changes,
// accepted label edits, right-button releases) comes out as signals for the pane to act on.
// The model stores nothing per row, so a list of any size is shown at once.
class SiteTreeView : public QTreeView {
    Q_OBJECT
public:
    explicit SiteTreeView(SiteTree& tree, QWidget* parent = nullptr);

    [[nodiscard]] SiteTreeModel& siteModel() const { return *itemModel; }
    [[nodiscard]] QModelIndex indexOf(const SiteTree::Node* node) const;
    [[nodiscard]] static SiteTree::Node* nodeOf(const QModelIndex& index);

    // The selected node; null when nothing is selected.
    [[nodiscard]] SiteTree::Node* selectedNode() const;
    // Selects node (null: nothing) and scrolls to it, expanding its ancestors. Emits no
    // nodeClicked: the caller decides whether the panel is filled.
    void selectNode(const SiteTree::Node* node);

    // Shows node in the disabled-text (grey) colour while it is a pending cut; back in the
    // normal text colour when released.
    void setNodeCut(const SiteTree::Node* node, bool cut);
    [[nodiscard]] bool isNodeCut(const SiteTree::Node* node) const;
    void expandNode(const SiteTree::Node* node);
    [[nodiscard]] bool isNodeExpanded(const SiteTree::Node* node) const;
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
    using QTreeView::edit;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    // The tree always keeps its selection, so that the highlighted entry is the one the panel
    // shows and the Edit menu acts on: a click on no node, or a Ctrl+click on the selected
    // one, leaves it as it is.
    [[nodiscard]] QItemSelectionModel::SelectionFlags selectionCommand(
        const QModelIndex& index, const QEvent* event = nullptr) const override;
    void commitData(QWidget* editor) override;
    // An icon that arrives repaints the rows in view, whatever its row: the tree's own look-up
    // of a row among tens of thousands, once for every row drawn with that icon, would stall a
    // scroll. Rows are all of one height, so an icon never moves anything.
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void makeCurrent(const SiteTree::Node* node, bool scroll);
    // Before a node goes: when the selection goes with it, the node that takes its place is
    // selected.
    void onAboutToBeRemoved(SiteTree::Node* node);
    // Repaints the rows on screen drawn with an icon of keys.
    void repaintRowsWithIcons(const QSet<QString>& keys);

    SiteTree& tree;
    SiteTreeModel* itemModel = nullptr;
    // Above 0 while the view changes its own selection: no nodeClicked then.
    int internalChange = 0;
    // The node whose label editor is open.
    SiteTree::Node* editingNode = nullptr;
};
