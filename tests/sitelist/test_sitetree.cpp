#include <gtest/gtest.h>

#include "core/siterow.h"
#include "core/sitetree.h"

namespace {

QStringList keysInCollectionOrder(const SiteTree& tree) {
    QStringList keys;
    for (int p = 1; p <= tree.nodeCount(); ++p) {
        keys << tree.nodeAt(p)->key;
    }
    return keys;
}

QStringList childKeys(const QList<SiteTree::Node*>& nodes) {
    QStringList keys;
    for (const auto* n : nodes) {
        keys << n->key;
    }
    return keys;
}

}  // namespace

TEST(SiteKeys, KeyAndIndexRoundTrip) {
    EXPECT_EQ(keyOfIndex(0), QStringLiteral("R0"));
    EXPECT_EQ(keyOfIndex(27), QStringLiteral("R27"));
    EXPECT_EQ(indexOfKey(QStringLiteral("R27")), 27);
    EXPECT_EQ(indexOfKey(QStringLiteral("R32767")), 32767);
    for (const char* bad : {"R", "", "X1", "Rx", "R-1"}) {
        EXPECT_EQ(indexOfKey(QString::fromLatin1(bad)), -1) << bad;
    }
}

TEST(SiteKeys, AccountKeysNameTheirAccountAndNoRow) {
    for (const auto& [key, account] : {std::pair{"A1", 1},
                                       {"A12/c/7", 12},
                                       {"A3/f/x/y", 3},
                                       {"A", 0},
                                       {"A0", 0},
                                       {"Ax/1", 0},
                                       {"R1", 0},
                                       {"A-2", 0},
                                       {"", 0}}) {
        EXPECT_EQ(accountOfKey(QString::fromLatin1(key)), account) << key;
        EXPECT_EQ(indexOfKey(QString::fromLatin1(key)) >= 0, key[0] == 'R') << key;
    }
    EXPECT_EQ(accountOfKey(accountKeyPrefix(42) + QStringLiteral("/f/1")), 42);
}

TEST(SiteTree, ABranchBuiltApartComesInWholeAnnouncedOnceOrNotAtAll) {
    SiteTree tree;
    tree.addNode(nullptr, QStringLiteral("R0"), QStringLiteral("mine"), kImageSite);
    tree.addNode(nullptr, QStringLiteral("A9"), QStringLiteral("later"), kImageFolder);
    int announced = 0;
    QObject::connect(&tree, &SiteTree::nodeAdded, [&announced] { ++announced; });
    const auto add = [](SiteNodes& nodes, SiteNode* parent, const char* key) {
        return nodes.append(parent, QString::fromLatin1(key), QString::fromLatin1(key),
                            kImageFolder);
    };
    // A key taken here, or two top-level nodes: nothing is added.
    SiteNodes taken;
    add(taken, add(taken, nullptr, "A1"), "R0");
    SiteNodes twoTops;
    add(twoTops, nullptr, "A1");
    add(twoTops, nullptr, "A2");
    for (SiteNodes* bad : {&taken, &twoTops}) {
        EXPECT_EQ(tree.adoptBranch(nullptr, std::move(*bad)), nullptr);
    }
    EXPECT_EQ(tree.nodeCount(), 2);
    EXPECT_EQ(announced, 0);

    SiteNodes built;
    SiteNode* c = add(built, add(built, nullptr, "A1"), "c");
    add(built, c, "c1");
    add(built, c->parent, "f");
    add(built, c, "c2");
    SiteTree::Node* top = tree.adoptBranch(nullptr, std::move(built), 1);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(announced, 1);
    EXPECT_EQ(tree.nodeCount(), 7);
    EXPECT_EQ(keysInCollectionOrder(tree), QStringList({"R0", "A9", "A1", "c", "c1", "f", "c2"}));
    EXPECT_EQ(childKeys(tree.topLevelNodes()), QStringList({"R0", "A1", "A9"}));
    EXPECT_EQ(tree.find(QStringLiteral("A9"))->row, 2);
    EXPECT_EQ(childKeys(top->children), QStringList({"c", "f"}));
    EXPECT_EQ(tree.find(QStringLiteral("c2"))->row, 1);
    EXPECT_EQ(tree.find(QStringLiteral("c2"))->parent, c);
    // Taken in, the nodes count as the tree's own: handed back whole with their branch.
    EXPECT_EQ(tree.takeBranch(top).size(), 5U);
    EXPECT_EQ(keysInCollectionOrder(tree), QStringList({"R0", "A9"}));
    EXPECT_EQ(tree.find(QStringLiteral("A9"))->row, 1);
    EXPECT_EQ(tree.find(QStringLiteral("c")), nullptr);
}

TEST(SiteRowArray, GrowsKeepingRowsAndStopsAtTheSixteenBitLimit) {
    SiteRowArray table;
    EXPECT_EQ(table.lastIndex(), -1);
    ASSERT_TRUE(table.growTo(0));
    table[0].strTitle = QStringLiteral("first");
    ASSERT_TRUE(table.growTo(3));
    EXPECT_EQ(table.size(), 4);
    EXPECT_EQ(table[0].strTitle, QStringLiteral("first"));
    EXPECT_EQ(table[3].intKind, 0);  // never filled

    EXPECT_TRUE(table.growTo(kMaxSiteRows - 1));
    EXPECT_FALSE(table.growTo(kMaxSiteRows));
    EXPECT_EQ(table.append(SiteRow{}), -1);
    EXPECT_EQ(table.size(), kMaxSiteRows);
}

TEST(SiteTree, AddsUnderParentsAndKeepsCreationOrder) {
    SiteTree tree;
    auto* news = tree.addNode(QStringLiteral("R"), QStringLiteral("R0"), QStringLiteral("News"),
                              kImageFolder);
    ASSERT_NE(news, nullptr);
    EXPECT_TRUE(SiteTree::IsRootNode(news));
    auto* a =
        tree.addNode(QStringLiteral("R0"), QStringLiteral("R1"), QStringLiteral("A"), kImageSite);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->parent, news);
    EXPECT_FALSE(SiteTree::IsRootNode(a));
    // Unknown parent and a key already taken are refused.
    EXPECT_EQ(tree.addNode(QStringLiteral("R9"), QStringLiteral("R2"), QString(), 1), nullptr);
    EXPECT_EQ(tree.addNode(nullptr, QStringLiteral("R1"), QString(), 1), nullptr);

    EXPECT_EQ(tree.nodeCount(), 2);
    EXPECT_EQ(tree.nodeAt(1), news);
    EXPECT_EQ(tree.nodeAt(2), a);
    EXPECT_EQ(tree.nodeAt(0), nullptr);
    EXPECT_EQ(tree.nodeAt(3), nullptr);
    EXPECT_EQ(tree.positionOf(a), 2);
    EXPECT_EQ(tree.find(QStringLiteral("R1")), a);
}

TEST(SiteTree, MoveKeepsCollectionPositionButAppendsToShownChildren) {
    SiteTree tree;
    tree.addNode(nullptr, QStringLiteral("R0"), QStringLiteral("F"), kImageFolder);
    tree.addNode(nullptr, QStringLiteral("R1"), QStringLiteral("s1"), kImageSite);
    tree.addNode(QStringLiteral("R0"), QStringLiteral("R2"), QStringLiteral("s2"), kImageSite);
    auto* f = tree.find(QStringLiteral("R0"));
    auto* s1 = tree.find(QStringLiteral("R1"));

    ASSERT_TRUE(tree.moveNode(s1, f));
    EXPECT_EQ(keysInCollectionOrder(tree), (QStringList{"R0", "R1", "R2"}));
    EXPECT_EQ(childKeys(f->children), (QStringList{"R2", "R1"}));
    EXPECT_EQ(childKeys(tree.topLevelNodes()), (QStringList{"R0"}));

    // A folder into its own subtree, or into itself, is refused and nothing changes.
    EXPECT_FALSE(tree.moveNode(f, s1));
    EXPECT_FALSE(tree.moveNode(f, f));
    EXPECT_EQ(f->parent, nullptr);

    ASSERT_TRUE(tree.moveNode(s1, nullptr));
    EXPECT_TRUE(SiteTree::IsRootNode(s1));
    EXPECT_EQ(childKeys(tree.topLevelNodes()), (QStringList{"R0", "R1"}));
}

TEST(SiteTree, RemovingASubtreeClosesUpTheCollection) {
    SiteTree tree;
    tree.addNode(nullptr, QStringLiteral("R0"), QStringLiteral("F"), kImageFolder);
    tree.addNode(nullptr, QStringLiteral("R1"), QStringLiteral("top"), kImageSite);
    tree.addNode(QStringLiteral("R0"), QStringLiteral("R2"), QStringLiteral("G"), kImageFolder);
    tree.addNode(QStringLiteral("R2"), QStringLiteral("R3"), QStringLiteral("deep"), kImageSite);
    tree.addNode(nullptr, QStringLiteral("R4"), QStringLiteral("last"), kImageSite);

    tree.removeNode(tree.find(QStringLiteral("R0")));
    EXPECT_EQ(keysInCollectionOrder(tree), (QStringList{"R1", "R4"}));
    EXPECT_EQ(tree.find(QStringLiteral("R3")), nullptr);
    EXPECT_EQ(childKeys(tree.topLevelNodes()), (QStringList{"R1", "R4"}));
    // A removed key may be used again (the table never reuses it, but a load does).
    EXPECT_NE(tree.addNode(nullptr, QStringLiteral("R0"), QString(), kImageFolder), nullptr);

    tree.clear();
    EXPECT_EQ(tree.nodeCount(), 0);
    EXPECT_TRUE(tree.topLevelNodes().isEmpty());
}
