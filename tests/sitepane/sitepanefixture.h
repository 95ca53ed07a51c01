#pragma once

#include <gtest/gtest.h>

#include <QList>
#include <QPoint>
#include <QStringList>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <memory>

#include "tests/common/testenv.h"
#include "tests/platform/qstringprinter.h"
#include "sitelist/opml.h"
#include "sitepane/sitelisthost.h"
#include "sitepane/propertiespanel.h"
#include "sitepane/sitelistpane.h"
#include "sitepane/sitetreeeditor.h"
#include "sitepane/sitetreeview.h"

// Records what the pane asked of the main window.
class FakeSiteListHost final : public SiteListHost {
public:
    void openNewSiteDialog() override { ++dialogsOpened; }
    void setPasteEnabled(bool enabled) override { pasteEnabled = enabled; }
    void popupEditMenu(const QPoint& globalPos) override { popups.append(globalPos); }
    void showStatus(const QString& text) override { statusTexts.append(text); }

    int dialogsOpened = 0;
    bool pasteEnabled = false;
    QList<QPoint> popups;
    QStringList statusTexts;
};

// A folder F holding a site, a sub-folder with a site, and another site; a top-level site T.
// Keys in document order: F R0, a R1, Sub R2, b R3, c R4, T R5. Only T has a homepage (its
// feed path is empty, so showing it fails at once without any network).
inline const QByteArray kSampleList = R"(<?xml version="1.0"?>
<opml version="1.1"><head/><body>
  <outline text="F">
    <outline text="a" htmlUrl="" xmlUrl="a.xml"/>
    <outline text="Sub">
      <outline text="b" htmlUrl="" xmlUrl="b.xml"/>
    </outline>
    <outline text="c" htmlUrl="" xmlUrl="c.xml"/>
  </outline>
  <outline text="T" htmlUrl="http://t.example/" xmlUrl=""/>
</body></opml>
)";

class SitePaneTest : public ::testing::Test {
protected:
    void SetUp() override { pane = std::make_unique<SiteListPane>(env.state(), host); }

    AppState& state() { return env.state(); }
    SiteTreeView& view() { return *pane->trvOPML; }
    PropertiesPanel& panel() { return *pane->properties; }
    SiteTreeEditor& editor() { return *pane->editor; }

    // Loads an OPML list the way the main window does.
    void loadList(const QByteArray& opml) {
        env.writeFile(QStringLiteral("load.opml"), opml);
        ASSERT_TRUE(LoadOpml(state(), env.path(QStringLiteral("load.opml"))));
    }

    SiteTree::Node* node(const char* key) { return state().siteTree.find(QLatin1String(key)); }

    // Selects the node as a click would, filling the panel.
    void click(const char* key) {
        SiteTree::Node* n = node(key);
        ASSERT_NE(n, nullptr) << key;
        view().selectNode(n);
        panel().trvOPML_NodeClick();
    }

    // The tree in shown order, "title[children]" joined by commas, checked against what the
    // view is shown (its item model) so that every test also sees the widget follow the tree.
    QString shape() {
        const QString model = modelShape(state().siteTree.topLevelNodes());
        EXPECT_EQ(itemShape(*view().model(), QModelIndex()), model);
        return model;
    }

    // Same, with keys instead of titles.
    QString keyShape() { return modelShape(state().siteTree.topLevelNodes(), true); }

    QByteArray savedList() { return env.readFile(QStringLiteral("rsslist.opml")); }

    TestEnv env;
    FakeSiteListHost host;
    std::unique_ptr<SiteListPane> pane;

private:
    static QString modelShape(const QList<SiteTree::Node*>& nodes, bool keys = false) {
        QStringList parts;
        for (const SiteTree::Node* n : nodes) {
            QString part = keys ? n->key : n->text;
            if (!n->children.isEmpty()) {
                part += QLatin1Char('[') + modelShape(n->children, keys) + QLatin1Char(']');
            }
            parts << part;
        }
        return parts.join(QLatin1Char(','));
    }
    static QString itemShape(const QAbstractItemModel& items, const QModelIndex& parent) {
        QStringList parts;
        for (int row = 0; row < items.rowCount(parent); ++row) {
            const QModelIndex item = items.index(row, 0, parent);
            EXPECT_EQ(items.parent(item), parent);
            QString part = item.data().toString();
            if (items.rowCount(item) > 0) {
                part += QLatin1Char('[') + itemShape(items, item) + QLatin1Char(']');
            }
            parts << part;
        }
        return parts.join(QLatin1Char(','));
    }
};

// The same pane, for the tests of each of its parts through that part's own interface.
using PropertiesPanelTest = SitePaneTest;
using SiteTreeEditorTest = SitePaneTest;
