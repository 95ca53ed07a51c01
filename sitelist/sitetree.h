#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <memory>
#include <vector>

inline constexpr int kImageFolder = 1;
inline constexpr int kImageSite = 2;

// The site tree: an ordered forest of nodes keyed "R" + row index. Besides the shown order
// (each node's children) it keeps every node in the node collection, in creation order;
// positions there count from 1. A moved node keeps its collection position; a removed one
// leaves the collection and the later ones close up. Widgets only display this model.
class SiteTree : public QObject {
    Q_OBJECT
public:
    struct Node {
        QString key;
        QString text;
        int image = kImageFolder;
        Node* parent = nullptr;
        QList<Node*> children;  // shown order
    };

    explicit SiteTree(QObject* parent = nullptr);
    ~SiteTree() override;

    void clear();
    // Adds a node as the last child of parent, or last at the top level when parent is null.
    // Returns null when the key is already taken.
    Node* addNode(Node* parent, const QString& key, const QString& text, int image);
    // The same, with the parent given by key; "R" or the empty text stands for the top level.
    // Returns null when no node has that parent key.
    Node* addNode(const QString& parentKey, const QString& key, const QString& text, int image);

    [[nodiscard]] int nodeCount() const { return int(collection.size()); }
    // Node at a collection position counted from 1; null outside 1 … nodeCount().
    [[nodiscard]] Node* nodeAt(int position) const;
    // Collection position of a node counted from 1; 0 when it is not in this tree.
    [[nodiscard]] int positionOf(const Node* node) const;
    [[nodiscard]] Node* find(const QString& key) const;
    [[nodiscard]] const QList<Node*>& topLevelNodes() const { return topLevel; }
    // True when node lies in the subtree of ancestor (ancestor itself included).
    [[nodiscard]] static bool isInSubtree(const Node* node, const Node* ancestor);
    [[nodiscard]] static bool IsRootNode(const Node* node) { return node->parent == nullptr; }

    // Removes the node with everything under it.
    void removeNode(Node* node);
    // Gives node a new parent (null: the top level), as that parent's last child. Refused
    // (false, nothing changes) when newParent lies in node's own subtree.
    bool moveNode(Node* node, Node* newParent);
    void setText(Node* node, const QString& text);

Q_SIGNALS:
    void treeCleared();
    void nodeAdded(SiteTree::Node* node);
    void nodeAboutToBeRemoved(SiteTree::Node* node);
    void nodeMoved(SiteTree::Node* node, SiteTree::Node* oldParent);
    void nodeTextChanged(SiteTree::Node* node);

private:
    std::vector<std::unique_ptr<Node>> collection;
    QList<Node*> topLevel;
    QHash<QString, Node*> byKey;
};
