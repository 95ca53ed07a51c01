#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <memory>
#include <vector>

inline constexpr int kImageFolder = 1;
inline constexpr int kImageSite = 2;

// One node of the site tree.
struct SiteNode {
    QString key;
    QString text;
    int image = kImageFolder;
    SiteNode* parent = nullptr;
    QList<SiteNode*> children;  // shown order
    // Position among its parent's children (or the top level), kept by the tree: a view
    // asks for it for every row it shows.
    int row = 0;
    // Counts up in creation order: siblings in node-collection order are siblings sorted by
    // it, whatever moves did to the shown order.
    qint64 serial = 0;
};

// Nodes of a site tree in creation order, built apart from the program's tree (on any
// thread) so that a loaded list replaces the tree's content in one step.
class SiteNodes {
public:
    // Adds a node as the last child of parent, or last at the top level when parent is null.
    // Returns null when the key is already taken.
    SiteNode* append(SiteNode* parent, const QString& key, const QString& text, int image);
    [[nodiscard]] int size() const { return int(collection.size()); }
    [[nodiscard]] SiteNode* find(const QString& key) const { return byKey.value(key, nullptr); }

private:
    friend class SiteTree;
    std::vector<std::unique_ptr<SiteNode>> collection;
    QList<SiteNode*> topLevel;
    QHash<QString, SiteNode*> byKey;
    qint64 nextSerial = 0;
};

// The site tree: an ordered forest of nodes keyed "R" + row index. Besides the shown order
// (each node's children) it keeps every node in the node collection, in creation order;
// positions there count from 1. A moved node keeps its collection position; a removed one
// leaves the collection and the later ones close up. Widgets only display this model: every
// change is announced before it is made and after, as item views need.
class SiteTree : public QObject {
    Q_OBJECT
public:
    using Node = SiteNode;

    explicit SiteTree(QObject* parent = nullptr);
    ~SiteTree() override;

    void clear();
    // Replaces every node with the given ones.
    void replaceAll(SiteNodes&& built);
    // Adds a node as the last child of parent, or last at the top level when parent is null.
    // Returns null when the key is already taken.
    Node* addNode(Node* parent, const QString& key, const QString& text, int image);
    // The same, with the parent given by key; "R" or the empty text stands for the top level.
    // Returns null when no node has that parent key.
    Node* addNode(const QString& parentKey, const QString& key, const QString& text, int image);

    // Adds the one top-level node of branch (built apart, on any thread) with everything
    // under it as child number row of parent (null: the top level; -1: last), announced as
    // one node added: a view takes in thousands of nodes at once, and the UI thread only
    // links them in. Null, with nothing added (branch is left as it was), when branch has not
    // exactly one top-level node or one of its keys is taken here.
    Node* adoptBranch(Node* parent, SiteNodes&& branch, int row = -1);

    [[nodiscard]] int nodeCount() const { return nodes.size(); }
    // Node at a collection position counted from 1; null outside 1 … nodeCount().
    [[nodiscard]] Node* nodeAt(int position) const;
    // Collection position of a node counted from 1; 0 when it is not in this tree.
    [[nodiscard]] int positionOf(const Node* node) const;
    [[nodiscard]] Node* find(const QString& key) const { return nodes.find(key); }
    // How many times the whole content has been replaced: a node found before and found
    // again by its key under the same count is the same entry.
    [[nodiscard]] qint64 resetCount() const { return resets; }
    [[nodiscard]] const QList<Node*>& topLevelNodes() const { return nodes.topLevel; }
    // node's siblings including itself: its parent's children, or the top level.
    [[nodiscard]] const QList<Node*>& siblingsOf(const Node* node) const {
        return node->parent ? node->parent->children : nodes.topLevel;
    }
    // True when node lies in the subtree of ancestor (ancestor itself included).
    [[nodiscard]] static bool isInSubtree(const Node* node, const Node* ancestor);
    [[nodiscard]] static bool IsRootNode(const Node* node) { return node->parent == nullptr; }

    // Removes the node with everything under it.
    void removeNode(Node* node);
    // The same, handing the removed nodes over: a branch of thousands may be freed elsewhere.
    // Empty for null.
    std::vector<std::unique_ptr<Node>> takeBranch(Node* node);
    // Gives node a new parent (null: the top level), as that parent's last child. Refused
    // (false, nothing changes) when newParent lies in node's own subtree.
    bool moveNode(Node* node, Node* newParent);
    void setText(Node* node, const QString& text);

Q_SIGNALS:
    // The whole content is about to go, and has been replaced (a load, or clear()).
    void treeAboutToBeReset();
    void treeReset();
    // A node is about to become child number row of parent (null: the top level).
    void nodeAboutToBeAdded(SiteTree::Node* parent, int row);
    void nodeAdded(SiteTree::Node* node);
    // The node and its subtree are about to go; then they are gone from row of parent.
    void nodeAboutToBeRemoved(SiteTree::Node* node);
    void nodeRemoved(SiteTree::Node* parent, int row);
    // The node is about to become the last child of newParent (null: the top level).
    void nodeAboutToBeMoved(SiteTree::Node* node, SiteTree::Node* newParent);
    void nodeMoved(SiteTree::Node* node, SiteTree::Node* oldParent);
    void nodeTextChanged(SiteTree::Node* node);

private:
    qint64 resets = 0;
    QList<Node*>& childListOf(Node* parent) { return parent ? parent->children : nodes.topLevel; }
    // Takes node out of its sibling list, renumbering the siblings after it.
    void detach(Node* node);

    SiteNodes nodes;
};
