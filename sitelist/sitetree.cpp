#include "sitelist/sitetree.h"

#include <QSet>
#include <algorithm>

SiteTree::SiteTree(QObject* parent) : QObject(parent) {}

SiteTree::~SiteTree() = default;

void SiteTree::clear() {
    topLevel.clear();
    byKey.clear();
    collection.clear();
    Q_EMIT treeCleared();
}

SiteTree::Node* SiteTree::addNode(Node* parent, const QString& key, const QString& text,
                                  int image) {
    if (byKey.contains(key)) {
        return nullptr;
    }
    auto node = std::make_unique<Node>();
    node->key = key;
    node->text = text;
    node->image = image;
    node->parent = parent;
    Node* raw = node.get();
    collection.push_back(std::move(node));
    byKey.insert(key, raw);
    (parent ? parent->children : topLevel).append(raw);
    Q_EMIT nodeAdded(raw);
    return raw;
}

SiteTree::Node* SiteTree::addNode(const QString& parentKey, const QString& key, const QString& text,
                                  int image) {
    Node* parent = nullptr;
    if (!parentKey.isEmpty() && parentKey != QLatin1String("R")) {
        parent = find(parentKey);
        if (!parent) {
            return nullptr;
        }
    }
    return addNode(parent, key, text, image);
}

SiteTree::Node* SiteTree::nodeAt(int position) const {
    if (position < 1 || position > nodeCount()) {
        return nullptr;
    }
    return collection[size_t(position - 1)].get();
}

int SiteTree::positionOf(const Node* node) const {
    for (size_t i = 0; i < collection.size(); ++i) {
        if (collection[i].get() == node) {
            return int(i) + 1;
        }
    }
    return 0;
}

SiteTree::Node* SiteTree::find(const QString& key) const {
    return byKey.value(key, nullptr);
}

bool SiteTree::isInSubtree(const Node* node, const Node* ancestor) {
    for (const Node* n = node; n; n = n->parent) {
        if (n == ancestor) {
            return true;
        }
    }
    return false;
}

void SiteTree::removeNode(Node* node) {
    if (!node) {
        return;
    }
    Q_EMIT nodeAboutToBeRemoved(node);
    (node->parent ? node->parent->children : topLevel).removeOne(node);

    QSet<const Node*> doomed;
    QList<Node*> pending{node};
    while (!pending.isEmpty()) {
        Node* n = pending.takeLast();
        doomed.insert(n);
        byKey.remove(n->key);
        pending.append(n->children);
    }
    std::erase_if(collection,
                  [&doomed](const std::unique_ptr<Node>& n) { return doomed.contains(n.get()); });
}

bool SiteTree::moveNode(Node* node, Node* newParent) {
    if (!node || (newParent && isInSubtree(newParent, node))) {
        return false;
    }
    Node* oldParent = node->parent;
    (oldParent ? oldParent->children : topLevel).removeOne(node);
    node->parent = newParent;
    (newParent ? newParent->children : topLevel).append(node);
    Q_EMIT nodeMoved(node, oldParent);
    return true;
}

void SiteTree::setText(Node* node, const QString& text) {
    if (!node || node->text == text) {
        return;
    }
    node->text = text;
    Q_EMIT nodeTextChanged(node);
}
