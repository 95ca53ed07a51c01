#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <cstdio>

#include "platform/desktop/screeninfo.h"
#include "tests/common/wholetexts.h"
#include "tests/sitepane/sitepanefixture.h"

TEST_F(SitePaneTest, WidgetsArePlacedAsDesignedInTwips) {
    struct Case {
        const char* name;
        int left, top, width, height;  // twips
        const char* caption;
    };
    const Case cases[] = {
        {"trvOPML", 0, 0, 3735, 3855, nullptr},
        {"lblTitle", 3840, 45, 525, 180, "タイトル"},
        {"txtTitle", 3840, 240, 3135, 270, nullptr},
        {"lblHomepage", 3840, 525, 900, 180, "ホームページ"},
        {"txtHomepage", 3840, 720, 3135, 270, nullptr},
        {"lblRDFPath", 3840, 1005, 1125, 180, "RSSファイルパス"},
        {"txtRDFPath", 3840, 1200, 3135, 270, nullptr},
        {"txtComment", 3840, 1560, 3135, 1770, nullptr},
        {"cmdOK", 5880, 3480, 1095, 375, "適用"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto* widget = pane->findChild<QWidget*>(QLatin1String(c.name));
        ASSERT_NE(widget, nullptr);
        // In the pane's coordinates: the panel's widgets are children of the panel.
        QRect g(widget->mapTo(pane.get(), QPoint()), widget->size());
        if (qobject_cast<const QLabel*>(widget)) {
            // Labels grow to the right to show their whole caption.
            EXPECT_GE(g.width() * 15, c.width);
            EXPECT_GE(g.width(), widget->sizeHint().width());
            g.setWidth(twipsToPixels(c.width));
        }
        EXPECT_EQ(QRect(g.x() * 15, g.y() * 15, g.width() * 15, g.height() * 15),
                  QRect(c.left, c.top, c.width, c.height));
        if (c.caption) {
            const auto* label = qobject_cast<const QLabel*>(widget);
            const auto* button = qobject_cast<const QPushButton*>(widget);
            EXPECT_EQ(label ? label->text() : button->text(), QString::fromUtf8(c.caption));
        }
    }
    EXPECT_EQ(pane->size() * 15, QSize(7110, 3855));
    EXPECT_EQ(view().toolTip(), QStringLiteral("編集する項目を選択してください"));
    EXPECT_EQ(pane->font().pointSize(), 9);
}

class SitePaneInEnglish : public InEnglish, public SitePaneTest {};

TEST_F(SitePaneInEnglish, EveryCaptionShowsWhole) {
    pane->show();
    expectEveryCaptionShowsWhole(*pane);
}

TEST_F(SitePaneTest, TreeShowsTheModelWithItsIcons) {
    loadList(kSampleList);
    // A pane made over a tree that already holds a moved node shows the shown order.
    state().siteTree.moveNode(node("R0"), node("R5"));
    SiteListPane late(state(), host);
    const QAbstractItemModel& lateItems = *late.trvOPML->model();
    ASSERT_EQ(lateItems.rowCount(), 1);
    const QModelIndex t = lateItems.index(0, 0);
    const QModelIndex sub = lateItems.index(1, 0, lateItems.index(0, 0, t));
    EXPECT_EQ(lateItems.index(0, 0, sub).data().toString(), QStringLiteral("b"));
    EXPECT_EQ(shape(), QStringLiteral("T[F[a,Sub[b],c]]"));

    const QIcon folder = view().indexOf(node("R0")).data(Qt::DecorationRole).value<QIcon>();
    const QModelIndex siteIndex = view().indexOf(node("R1"));
    const QIcon site = siteIndex.data(Qt::DecorationRole).value<QIcon>();
    EXPECT_NE(folder.pixmap(16, 16).toImage(), site.pixmap(16, 16).toImage());
    EXPECT_EQ(view().nodeOf(siteIndex), node("R1"));
    // A selected node's picture keeps its colours: not tinted with the selection colour.
    for (const QIcon& icon : {folder, site}) {
        EXPECT_FALSE(icon.isNull());
        EXPECT_EQ(icon.pixmap(16, 16, QIcon::Selected).toImage(),
                  icon.pixmap(16, 16, QIcon::Normal).toImage());
    }
}

TEST_F(SitePaneTest, MovingAFolderKeepsItsOpenBranchesAndTheSelection) {
    loadList(kSampleList);
    view().expandNode(node("R0"));
    view().expandNode(node("R2"));
    view().selectNode(node("R3"));
    state().siteTree.moveNode(node("R0"), node("R5"));
    EXPECT_TRUE(view().isNodeExpanded(node("R0")));
    EXPECT_TRUE(view().isNodeExpanded(node("R2")));
    EXPECT_EQ(view().selectedNode(), node("R3"));
}

TEST_F(SitePaneTest, MouseSelectsWithTheLeftButtonAndAsksForTheMenuWithTheRight) {
    loadList(kSampleList);
    pane->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(pane.get()));
    ASSERT_TRUE(pane->selectFirstNode());
    QWidget* viewport = view().viewport();
    const QPoint onT = view().visualRect(view().indexOf(node("R5"))).center();

    QTest::mouseClick(viewport, Qt::RightButton, {}, onT);
    ASSERT_EQ(host.popups.size(), 1);
    EXPECT_EQ(host.popups.first(), viewport->mapToGlobal(onT));
    EXPECT_EQ(view().selectedNode(), node("R0"));
    EXPECT_EQ(panel().intCurrentIndex, 0);

    QTest::mouseClick(viewport, Qt::LeftButton, {}, onT);
    EXPECT_EQ(view().selectedNode(), node("R5"));
    EXPECT_EQ(panel().intCurrentIndex, 5);
    EXPECT_EQ(panel().txtTitle->text(), QStringLiteral("T"));

    // The keyboard moves the selection too.
    QTest::keyClick(&view(), Qt::Key_Home);
    EXPECT_EQ(panel().intCurrentIndex, 0);
}

// The highlighted entry is always the one the panel shows and the Edit menu acts on: a click
// on no node, or a Ctrl+click on the selected one, leaves the selection as it was.
TEST_F(SitePaneTest, ClicksThatSelectNothingKeepTheSelection) {
    loadList(kSampleList);
    pane->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(pane.get()));
    view().expandNode(node("R0"));
    QWidget* viewport = view().viewport();
    // c, a site in the folder F.
    const QPoint onC = view().visualRect(view().indexOf(node("R4"))).center();
    const QPoint belowAll(onC.x(), viewport->height() - 4);
    ASSERT_FALSE(view().indexAt(belowAll).isValid());
    QTest::mouseClick(viewport, Qt::LeftButton, {}, onC);

    struct Case {
        const char* name;
        Qt::KeyboardModifiers modifiers;
        QPoint at;
    };
    const Case cases[] = {
        {"below the last node", {}, belowAll},
        {"Ctrl below the last node", Qt::ControlModifier, belowAll},
        {"Ctrl on the selected node", Qt::ControlModifier, onC},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTest::mouseClick(viewport, Qt::LeftButton, c.modifiers, c.at);
        EXPECT_EQ(view().selectedNode(), node("R4"));
        EXPECT_TRUE(view().selectionModel()->isSelected(view().indexOf(node("R4"))));
        EXPECT_EQ(panel().intCurrentIndex, 4);
    }
    // What the Edit menu does, it does to the highlighted entry.
    env.messageBox.answers = {MsgResult::Cancel};
    editor().mnuDelete_Click();
    ASSERT_EQ(env.messageBox.shown.size(), 1);
    EXPECT_TRUE(env.messageBox.shown.first().text.startsWith(QStringLiteral("「c」")));
    editor().mnuNewFolder_Click();
    EXPECT_EQ(shape(), QStringLiteral("F[a,Sub[b],c,新しいフォルダ],T"));
}

TEST_F(SitePaneTest, LargeListIsShownInLinearTime) {
    // 300 folders of 99 sites: 30 000 entries.
    QByteArray body;
    body.reserve(3'000'000);
    for (int f = 0; f < 300; ++f) {
        body += "<outline text=\"folder " + QByteArray::number(f) + "\">\n";
        for (int s = 0; s < 99; ++s) {
            body += "<outline text=\"site " + QByteArray::number(s) +
                    "\" htmlUrl=\"\" xmlUrl=\"http://example.com/" + QByteArray::number(s) +
                    "\"/>\n";
        }
        body += "</outline>\n";
    }
    const QByteArray opml =
        "<?xml version=\"1.0\"?><opml version=\"1.1\"><head/><body>" + body + "</body></opml>";
    env.writeFile(QStringLiteral("large.opml"), opml);
    loadList(kSampleList);
    pane->selectFirstNode();

    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(LoadOpml(state(), env.path(QStringLiteral("large.opml"))));
    const qint64 loadMs = timer.elapsed();
    ASSERT_TRUE(pane->selectFirstNode());
    const qint64 totalMs = timer.elapsed();
    std::printf("30000 entries: load %lld ms, shown and first selected after %lld ms\n",
                static_cast<long long>(loadMs), static_cast<long long>(totalMs));
    RecordProperty("load_ms", static_cast<int>(loadMs));
    RecordProperty("shown_ms", static_cast<int>(totalMs));

    const QAbstractItemModel& items = *view().model();
    ASSERT_EQ(items.rowCount(), 300);
    const QModelIndex lastFolder = items.index(299, 0);
    EXPECT_EQ(items.rowCount(lastFolder), 99);
    EXPECT_EQ(items.index(98, 0, lastFolder).data().toString(), QStringLiteral("site 98"));
    EXPECT_EQ(view().nodeOf(items.index(98, 0, lastFolder)), node("R29999"));
    EXPECT_EQ(panel().txtTitle->text(), QStringLiteral("folder 0"));

    // Edits on the large list still reach the view.
    view().selectNode(node("R29999"));
    editor().mnuNewFolder_Click();
    EXPECT_EQ(items.index(99, 0, lastFolder).data().toString(), QStringLiteral("新しいフォルダ"));
}
