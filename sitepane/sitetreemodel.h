#pragma once

#include <QAbstractItemModel>
#include <QBrush>
#include <QElapsedTimer>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QSet>
#include <QTimer>

#include "core/sitetree.h"

class SiteIcons;
class SiteRowArray;

// The item model over a SiteTree that the tree widget trvOPML shows: one column, an index
// per node (its internal pointer is the node), nothing stored per row, so a view builds
// only the rows it shows. It follows the tree's announcements; it never changes the tree.
class SiteTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    // Icons that arrive within this of the first are repainted together: loaded as a page
    // of rows scrolls into view, they would otherwise repaint it once each.
    static constexpr int kArrivalRepaintMs = 25;

    explicit SiteTreeModel(SiteTree& tree, QObject* parent = nullptr);

    [[nodiscard]] QModelIndex index(int row, int column,
                                    const QModelIndex& parent = {}) const override;
    [[nodiscard]] QModelIndex parent(const QModelIndex& child) const override;
    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The index of node; invalid for null (the top level's parent).
    [[nodiscard]] QModelIndex indexOf(const SiteNode* node) const;
    [[nodiscard]] static SiteNode* nodeOf(const QModelIndex& index);

    // A pending cut is shown with brush; released, in the view's own text colour.
    void setCut(const SiteNode* node, bool cut, const QBrush& brush);
    [[nodiscard]] bool isCut(const SiteNode* node) const { return cutNodes.contains(node); }

    // A folder's and a site's picture, the same whether the node is selected or not.
    [[nodiscard]] static QIcon iconOf(int image);

    // Sites show their own icons from icons, found through table (both outlive the model),
    // asked for only as their rows are drawn; the site picture while a site has none.
    void setSiteIcons(SiteIcons* icons, const SiteRowArray* table);
    // The key of the icon index's row was last drawn with; empty for a folder or a row not
    // drawn with one.
    [[nodiscard]] QString iconKeyOf(const QModelIndex& index) const;

Q_SIGNALS:
    // Icons of these keys arrived: a view connected to this repaints the rows it shows with
    // them. Without one, the model announces a change of every folder's span of rows drawn
    // with them instead.
    void iconsArrived(const QSet<QString>& keys);

private:
    // What a row of the site table was last drawn with: its addresses as they were then, the
    // key of its icon they gave, and the node entered under that key in drawnWithIcon.
    // With the icon it was given, kept while SiteIcons::generation() stays.
    struct RowIcon {
        QString homePage;
        QString feedUrl;
        QString key;
        bool known = false;
        const SiteNode* drawnAs = nullptr;
        QIcon icon;
        quint64 generation = 0;
        // When the icon was asked for (sinceStart); -1 never.
        qint64 askedMs = -1;
    };

    [[nodiscard]] QIcon ownIconOf(const SiteNode* node) const;
    // Repaints the nodes drawn with the icons that arrived since the last time: through the
    // view, or one change per folder, not per node, however many arrived meanwhile.
    void repaintArrivedIcons();
    [[nodiscard]] const QList<SiteNode*>& childrenOf(const QModelIndex& parent) const;

    SiteTree& tree;
    QSet<const SiteNode*> cutNodes;
    QBrush cutBrush;
    QIcon folderIcon;
    QIcon siteIcon;
    bool moving = false;
    SiteIcons* siteIcons = nullptr;
    const SiteRowArray* siteTable = nullptr;
    // The nodes drawn with (or waiting for) each icon, by the icon's key: what an arriving
    // icon repaints.
    mutable QHash<QString, QSet<const SiteNode*>> drawnWithIcon;
    // By the site table's row; filled as rows are drawn.
    mutable QList<RowIcon> rowIcons;
    // Keys of icons arrived and not repainted yet, and what repaints them.
    QSet<QString> arrivedIcons;
    QTimer* arrivalRepaint = nullptr;
    QElapsedTimer sinceStart;
    // The connections to the icons and the tree that setSiteIcons made: gone with it.
    QObject* iconLinks = nullptr;
};
