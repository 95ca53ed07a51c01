#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <cstdio>

#include "platform/screeninfo.h"
#include "sitelist/sitepanefixture.h"

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
        QRect g = widget->geometry();
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

TEST_F(SitePaneTest, TreeShowsTheModelWithItsIcons) {
    loadList(kSampleList);
    // A pane made over a tree that already holds a moved node shows the shown order.
    state().siteTree.moveNode(node("R0"), node("R5"));
    SiteListPane late(state(), host);
    late.trvOPML->syncWithModel();
    ASSERT_EQ(late.trvOPML->topLevelItemCount(), 1);
    EXPECT_EQ(late.trvOPML->topLevelItem(0)->child(0)->child(1)->child(0)->text(0),
              QStringLiteral("b"));
    EXPECT_EQ(shape(), QStringLiteral("T[F[a,Sub[b],c]]"));

    const QTreeWidgetItem* folder = view().itemOf(node("R0"));
    const QTreeWidgetItem* site = view().itemOf(node("R1"));
    EXPECT_FALSE(folder->icon(0).isNull());
    EXPECT_FALSE(site->icon(0).isNull());
    EXPECT_NE(folder->icon(0).pixmap(16, 16).toImage(), site->icon(0).pixmap(16, 16).toImage());
    EXPECT_EQ(view().nodeOf(site), node("R1"));
}

TEST_F(SitePaneTest, MovingAFolderKeepsItsOpenBranchesAndTheSelection) {
    loadList(kSampleList);
    view().itemOf(node("R0"))->setExpanded(true);
    view().itemOf(node("R2"))->setExpanded(true);
    pane->selectNode(node("R3"));
    state().siteTree.moveNode(node("R0"), node("R5"));
    EXPECT_TRUE(view().itemOf(node("R0"))->isExpanded());
    EXPECT_TRUE(view().itemOf(node("R2"))->isExpanded());
    EXPECT_EQ(pane->selectedNode(), node("R3"));
}

TEST_F(SitePaneTest, MouseSelectsWithTheLeftButtonAndAsksForTheMenuWithTheRight) {
    loadList(kSampleList);
    pane->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(pane.get()));
    ASSERT_TRUE(pane->selectFirstNode());
    QWidget* viewport = view().viewport();
    const QPoint onT = view().visualItemRect(view().itemOf(node("R5"))).center();

    QTest::mouseClick(viewport, Qt::RightButton, {}, onT);
    ASSERT_EQ(host.popups.size(), 1);
    EXPECT_EQ(host.popups.first(), viewport->mapToGlobal(onT));
    EXPECT_EQ(pane->selectedNode(), node("R0"));
    EXPECT_EQ(pane->intCurrentIndex, 0);

    QTest::mouseClick(viewport, Qt::LeftButton, {}, onT);
    EXPECT_EQ(pane->selectedNode(), node("R5"));
    EXPECT_EQ(pane->intCurrentIndex, 5);
    EXPECT_EQ(pane->txtTitle->text(), QStringLiteral("T"));

    // The keyboard moves the selection too.
    QTest::keyClick(&view(), Qt::Key_Home);
    EXPECT_EQ(pane->intCurrentIndex, 0);
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

    ASSERT_EQ(view().topLevelItemCount(), 300);
    EXPECT_EQ(view().topLevelItem(299)->childCount(), 99);
    EXPECT_EQ(view().topLevelItem(299)->child(98)->text(0), QStringLiteral("site 98"));
    EXPECT_EQ(view().nodeOf(view().topLevelItem(299)->child(98)), node("R29999"));
    EXPECT_EQ(pane->txtTitle->text(), QStringLiteral("folder 0"));

    // Edits on the large list still reach the view.
    pane->selectNode(node("R29999"));
    pane->mnuNewFolder_Click();
    EXPECT_EQ(view().topLevelItem(299)->child(99)->text(0), QStringLiteral("新しいフォルダ"));
}
