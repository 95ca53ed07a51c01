#include "core/sitetree.h"

#include <algorithm>
#include <utility>

SiteNode* SiteNodes::append(SiteNode* parent, const QString& key, const QString& text, int image) {
    const qsizetype keys = byKey.size();
    SiteNode*& slot = byKey[key];
    if (byKey.size() == keys) {
        return nullptr;  // the key is taken
    }
    auto node = std::make_unique<SiteNode>();
    node->key = key;
    node->text = text;
    node->image = image;
    node->parent = parent;
    node->serial = nextSerial++;
    QList<SiteNode*>& siblings = parent ? parent->children : topLevel;
    node->row = int(siblings.size());
    SiteNode* raw = node.get();
    siblings.append(raw);
    collection.push_back(std::move(node));
    slot = raw;
    return raw;
}

SiteTree::SiteTree(QObject* parent) : QObject(parent) {}

SiteTree::~SiteTree() = default;

void SiteTree::clear() {
    replaceAll(SiteNodes());
}

void SiteTree::replaceAll(SiteNodes&& built) {
    Q_EMIT treeAboutToBeReset();
    SiteNodes old = std::exchange(nodes, std::move(built));
    ++resets;
    Q_EMIT treeReset();
}

SiteTree::Node* SiteTree::addNode(Node* parent, const QString& key, const QString& text,
                                  int image) {
    if (nodes.byKey.contains(key)) {
        return nullptr;
    }
    Q_EMIT nodeAboutToBeAdded(parent, int(childListOf(parent).size()));
    Node* node = nodes.append(parent, key, text, image);
    Q_EMIT nodeAdded(node);
    return node;
}

SiteTree::Node* SiteTree::adoptBranch(Node* parent, SiteNodes&& branch, int row) {
    if (branch.topLevel.size() != 1) {
        return nullptr;
    }
    for (auto it = branch.byKey.cbegin(); it != branch.byKey.cend(); ++it) {
        if (nodes.byKey.contains(it.key())) {
            return nullptr;
        }
    }
    QList<Node*>& siblings = childListOf(parent);
    if (row < 0 || row > siblings.size()) {
        row = int(siblings.size());
    }
    Q_EMIT nodeAboutToBeAdded(parent, row);
    Node* top = branch.topLevel.first();
    top->parent = parent;
    siblings.insert(row, top);
    for (qsizetype i = row; i < siblings.size(); ++i) {
        siblings[i]->row = int(i);
    }
    nodes.byKey.reserve(nodes.byKey.size() + branch.byKey.size());
    nodes.byKey.insert(branch.byKey);
    nodes.collection.reserve(nodes.collection.size() + branch.collection.size());
    for (std::unique_ptr<Node>& node : branch.collection) {
        // Serials count in this tree's creation order.
        node->serial = nodes.nextSerial++;
        nodes.collection.push_back(std::move(node));
    }
    branch = SiteNodes();
    Q_EMIT nodeAdded(top);
    return top;
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
    return nodes.collection[size_t(position - 1)].get();
}

int SiteTree::positionOf(const Node* node) const {
    const auto& collection = nodes.collection;
    const auto it =
        std::find_if(collection.cbegin(), collection.cend(),
                     [node](const std::unique_ptr<Node>& n) { return n.get() == node; });
    return it == collection.cend() ? 0 : int(it - collection.cbegin()) + 1;
}

bool SiteTree::isInSubtree(const Node* node, const Node* ancestor) {
    for (const Node* n = node; n; n = n->parent) {
        if (n == ancestor) {
            return true;
        }
    }
    return false;
}

void SiteTree::detach(Node* node) {
    QList<Node*>& siblings = childListOf(node->parent);
    siblings.removeAt(node->row);
    for (qsizetype i = node->row; i < siblings.size(); ++i) {
        siblings[i]->row = int(i);
    }
}

void SiteTree::removeNode(Node* node) {
    static_cast<void>(takeBranch(node));
}

std::vector<std::unique_ptr<SiteNode>> SiteTree::takeBranch(Node* node) {
    std::vector<std::unique_ptr<SiteNode>> taken;
    if (!node) {
        return taken;
    }
    Q_EMIT nodeAboutToBeRemoved(node);
    Node* parent = node->parent;
    const int row = node->row;
    detach(node);

    // A serial of -1 marks the nodes that go: no set to build and ask for every node kept.
    QList<Node*> pending{node};
    while (!pending.isEmpty()) {
        Node* n = pending.takeLast();
        n->serial = -1;
        nodes.byKey.remove(n->key);
        pending.append(n->children);
    }
    // The rest close up in their order.
    auto kept = nodes.collection.begin();
    for (auto& n : nodes.collection) {
        if (n->serial < 0) {
            taken.push_back(std::move(n));
        } else {
            *kept++ = std::move(n);
        }
    }
    nodes.collection.erase(kept, nodes.collection.end());
    Q_EMIT nodeRemoved(parent, row);
    return taken;
}

bool SiteTree::moveNode(Node* node, Node* newParent) {
    if (!node || (newParent && isInSubtree(newParent, node))) {
        return false;
    }
    Q_EMIT nodeAboutToBeMoved(node, newParent);
    Node* oldParent = node->parent;
    detach(node);
    node->parent = newParent;
    QList<Node*>& siblings = childListOf(newParent);
    node->row = int(siblings.size());
    siblings.append(node);
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
