#include "sitepane/sitetreeview.h"

#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMouseEvent>

#include "sitepane/sitetreemodel.h"

namespace {

using Node = SiteTree::Node;

}  // namespace

SiteTreeView::SiteTreeView(SiteTree& siteTree, QWidget* parent)
    : QTreeView(parent), tree(siteTree) {
    setObjectName(QStringLiteral("trvOPML"));
    setToolTip(tr("編集する項目を選択してください"));
    setHeaderHidden(true);
    setAccessibleName(tr("サイト一覧"));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(16, 16));
    // Every row is one line of text: lets the view skip measuring rows it does not show.
    setUniformRowHeights(true);
    // F2, or a second slow click on the selected node, renames it.
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);

    // Connected before the model is made, so that it runs before the model removes the rows.
    connect(&tree, &SiteTree::nodeAboutToBeRemoved, this, &SiteTreeView::onAboutToBeRemoved);
    connect(&tree, &SiteTree::treeAboutToBeReset, this, [this] { editingNode = nullptr; });
    itemModel = new SiteTreeModel(tree, this);
    setModel(itemModel);
    connect(itemModel, &SiteTreeModel::iconsArrived, this, &SiteTreeView::repaintRowsWithIcons);

    // The selection, not the current index: it is updated after the current index, and the
    // panel shows the selected node.
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (internalChange == 0 && selectionModel()->hasSelection()) {
            Q_EMIT nodeClicked();
        }
    });
}

void SiteTreeView::repaintRowsWithIcons(const QSet<QString>& keys) {
    const QRect page = viewport()->rect();
    for (QModelIndex index = indexAt(page.topLeft()); index.isValid(); index = indexBelow(index)) {
        const QRect rect = visualRect(index);
        if (rect.top() > page.bottom()) {
            break;
        }
        if (keys.contains(itemModel->iconKeyOf(index))) {
            viewport()->update(rect);
        }
    }
}

QModelIndex SiteTreeView::indexOf(const Node* node) const {
    return itemModel->indexOf(node);
}

SiteTree::Node* SiteTreeView::nodeOf(const QModelIndex& index) {
    return SiteTreeModel::nodeOf(index);
}

SiteTree::Node* SiteTreeView::selectedNode() const {
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? nullptr : nodeOf(selected.first());
}

void SiteTreeView::selectNode(const Node* node) {
    makeCurrent(node, true);
}

void SiteTreeView::makeCurrent(const Node* node, bool scroll) {
    const QModelIndex index = indexOf(node);
    ++internalChange;
    if (index.isValid()) {
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        if (scroll) {
            scrollTo(index);
        }
    } else {
        selectionModel()->clear();
    }
    --internalChange;
}

void SiteTreeView::setNodeCut(const Node* node, bool cut) {
    itemModel->setCut(node, cut, palette().brush(QPalette::Disabled, QPalette::Text));
}

bool SiteTreeView::isNodeCut(const Node* node) const {
    return itemModel->isCut(node);
}

void SiteTreeView::expandNode(const Node* node) {
    expand(indexOf(node));
}

bool SiteTreeView::isNodeExpanded(const Node* node) const {
    return isExpanded(indexOf(node));
}

void SiteTreeView::editNode(const Node* node) {
    const QModelIndex index = indexOf(node);
    if (index.isValid()) {
        edit(index);
    }
}

void SiteTreeView::mousePressEvent(QMouseEvent* event) {
    // A right click leaves the selection alone: the Edit menu acts on the entry selected before.
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    // A click on the entry already selected shows it again (its feed is read afresh); the
    // selection does not change, so nothing else would say so.
    const QModelIndex at = indexAt(event->position().toPoint());
    const bool again =
        event->button() == Qt::LeftButton && at.isValid() && selectionModel()->isSelected(at);
    QTreeView::mousePressEvent(event);
    if (again && internalChange == 0) {
        Q_EMIT nodeClicked();
    }
}

QItemSelectionModel::SelectionFlags SiteTreeView::selectionCommand(const QModelIndex& index,
                                                                   const QEvent* event) const {
    if (!index.isValid()) {
        return QItemSelectionModel::NoUpdate;
    }
    const QItemSelectionModel::SelectionFlags command = QTreeView::selectionCommand(index, event);
    if (command & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle)) {
        return QItemSelectionModel::NoUpdate;
    }
    return command;
}

void SiteTreeView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        event->accept();
        Q_EMIT editMenuRequested(event->globalPosition().toPoint());
        return;
    }
    QTreeView::mouseReleaseEvent(event);
}

void SiteTreeView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QTreeView::mouseDoubleClickEvent(event);
}

void SiteTreeView::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
    // The mouse's menu comes with the right button's release; the menu key's comes here.
    if (event->reason() != QContextMenuEvent::Keyboard) {
        return;
    }
    const QModelIndex current = currentIndex();
    const QPoint local =
        current.isValid() ? visualRect(current).center() : viewport()->rect().center();
    Q_EMIT editMenuRequested(viewport()->mapToGlobal(local));
}

bool SiteTreeView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    const bool editing = QTreeView::edit(index, trigger, event);
    if (editing && index.isValid()) {
        editingNode = nodeOf(index);
    }
    return editing;
}

void SiteTreeView::commitData(QWidget* editor) {
    // The model is not written here: the pane renames the entry, and the tree's text change
    // comes back through the model. A cancelled edit (Escape) never gets here.
    const auto* line = qobject_cast<const QLineEdit*>(editor);
    if (line && editingNode) {
        Q_EMIT labelEdited(editingNode, line->text());
    }
}

void SiteTreeView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    QTreeView::closeEditor(editor, hint);
    editingNode = nullptr;
}

void SiteTreeView::onAboutToBeRemoved(Node* node) {
    if (editingNode && SiteTree::isInSubtree(editingNode, node)) {
        editingNode = nullptr;
    }
    const Node* current = nodeOf(currentIndex());
    if (!current || !SiteTree::isInSubtree(current, node)) {
        return;
    }
    // The selection goes with the node: the next sibling takes its place, else the previous
    // one, else the parent.
    const QList<Node*>& siblings = tree.siblingsOf(node);
    const Node* successor = node->row + 1 < siblings.size() ? siblings.at(node->row + 1)
                            : node->row > 0                 ? siblings.at(node->row - 1)
                                                            : node->parent;
    makeCurrent(successor, false);
}

void SiteTreeView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                               const QList<int>& roles) {
    if (roles.size() == 1 && roles.front() == Qt::DecorationRole) {
        viewport()->update();
        return;
    }
    QTreeView::dataChanged(topLeft, bottomRight, roles);
}
