#include <gtest/gtest.h>

#include <QPaintEvent>
#include <QRegion>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "core/settings.h"
#include "core/siterow.h"
#include "core/sitetree.h"
#include "icons/iconservice.h"
#include "platform/net/httpclient.h"
#include "sitepane/sitetreemodel.h"
#include "sitepane/sitetreeview.h"
#include "tests/common/fakes.h"
#include "tests/common/loopbackserver.h"
#include "tests/common/solidpng.h"
#include "ui/siteicons.h"

namespace {

QImage drawn(const QVariant& decoration) {
    return decoration.value<QIcon>().pixmap(16).toImage().convertToFormat(QImage::Format_ARGB32);
}

// The tree draws each site with its own icon once it has arrived, from the loopback site; a
// folder, a site without one and every site with SITE_ICONS off keep the program's pictures.
TEST(SiteTreeIcons, SitesShowTheirOwnIconsAsTheyArrive) {
    LoopbackServer server;
    const QByteArray png = solidPng(Qt::red);
    server.serve(QStringLiteral("/favicon.ico"), png, "image/png");

    SiteRowArray table;
    table.append({kKindSite, false, QStringLiteral("site"), server.url(QStringLiteral("/")),
                  server.url(QStringLiteral("/feed"))});
    table.append({kKindSite, false, QStringLiteral("local"), QString(),
                  QStringLiteral("/home/user/feed.xml")});
    SiteTree tree;
    SiteNodes nodes;
    SiteNode* folder =
        nodes.append(nullptr, QStringLiteral("R9"), QStringLiteral("folder"), kImageFolder);
    nodes.append(folder, keyOfIndex(0), QStringLiteral("site"), kImageSite);
    nodes.append(folder, keyOfIndex(1), QStringLiteral("local"), kImageSite);
    tree.replaceAll(std::move(nodes));

    QTemporaryDir dir;
    FakeClock clock;
    HttpClient http;
    IconService service(http, dir.path(), clock);
    Settings settings;
    SiteIcons icons(service, settings);
    SiteTreeModel model(tree);
    model.setSiteIcons(&icons, &table);
    const QModelIndex folderIndex = model.index(0, 0);
    const QModelIndex siteIndex = model.index(0, 0, folderIndex);
    const QModelIndex localIndex = model.index(1, 0, folderIndex);
    const QImage sitePicture = drawn(SiteTreeModel::iconOf(kImageSite));

    QSignalSpy changed(&model, &SiteTreeModel::dataChanged);
    EXPECT_EQ(drawn(model.data(siteIndex, Qt::DecorationRole)), sitePicture);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !changed.isEmpty(); }, 10000));
    EXPECT_EQ(changed.first().at(0).toModelIndex(), siteIndex);
    EXPECT_EQ(drawn(model.data(siteIndex, Qt::DecorationRole)).pixelColor(8, 8), QColor(Qt::red));
    EXPECT_EQ(drawn(model.data(localIndex, Qt::DecorationRole)), sitePicture);
    EXPECT_EQ(drawn(model.data(folderIndex, Qt::DecorationRole)),
              drawn(SiteTreeModel::iconOf(kImageFolder)));

    // A home page edited in place, the table's size unchanged: the row's icon is the new
    // host's, the site picture until it arrives.
    table[0].strHtmlUrl = QStringLiteral("http://localhost:%1/").arg(server.port());
    EXPECT_EQ(drawn(model.data(siteIndex, Qt::DecorationRole)), sitePicture);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return drawn(model.data(siteIndex, Qt::DecorationRole)).pixelColor(8, 8) ==
                   QColor(Qt::red);
        },
        10000));

    // Turned off, the drawn rows are drawn again at once, without their icons, and nothing
    // is fetched; turned on, the icons come back.
    changed.clear();
    settings.SITE_ICONS = false;
    icons.followSettings();
    ASSERT_FALSE(changed.isEmpty());
    EXPECT_EQ(changed.first().at(0).toModelIndex().parent(), folderIndex);
    server.clearRequests();
    EXPECT_EQ(drawn(model.data(siteIndex, Qt::DecorationRole)), sitePicture);
    EXPECT_EQ(service.pendingCount(), 0);
    EXPECT_TRUE(server.requests().isEmpty());

    changed.clear();
    settings.SITE_ICONS = true;
    icons.followSettings();
    EXPECT_FALSE(changed.isEmpty());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return drawn(model.data(siteIndex, Qt::DecorationRole)).pixelColor(8, 8) ==
                   QColor(Qt::red);
        },
        10000));
}

}  // namespace

namespace {

// What the tree's page was asked to paint again.
class PaintedRegions : public QObject {
public:
    QRegion painted;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            painted += static_cast<QPaintEvent*>(event)->region();
        }
        return QObject::eventFilter(watched, event);
    }
};

// An icon that arrives repaints the rows on screen drawn with it, and no other row: a page
// of a large tree is not drawn again whole for each icon that comes in.
TEST(SiteTreeIcons, AnArrivingIconRepaintsItsRowsAlone) {
    LoopbackServer server;
    const QByteArray png = solidPng(Qt::red);
    server.serve(QStringLiteral("/favicon.ico"), png, "image/png");

    // Rows 0 and 2 share the loopback host; row 1 has no home page and keeps the picture.
    SiteRowArray table;
    for (int i = 0; i < 3; ++i) {
        table.append({kKindSite, false, QStringLiteral("site %1").arg(i),
                      i == 1 ? QString() : server.url(QStringLiteral("/%1").arg(i)),
                      QStringLiteral("/home/user/feed%1.xml").arg(i)});
    }
    SiteTree tree;
    SiteNodes nodes;
    for (int i = 0; i < 3; ++i) {
        nodes.append(nullptr, keyOfIndex(i), table[i].strTitle, kImageSite);
    }
    tree.replaceAll(std::move(nodes));

    QTemporaryDir dir;
    FakeClock clock;
    HttpClient http;
    IconService service(http, dir.path(), clock);
    Settings settings;
    SiteIcons icons(service, settings);
    SiteTreeView view(tree);
    view.siteModel().setSiteIcons(&icons, &table);
    view.resize(300, 200);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    PaintedRegions paints;
    view.viewport()->installEventFilter(&paints);
    // What is painted from the moment the icon arrived.
    bool arrived = false;
    QObject::connect(&view.siteModel(), &SiteTreeModel::iconsArrived, &paints, [&] {
        arrived = true;
        paints.painted = QRegion();
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return arrived && !paints.painted.isEmpty(); }, 10000));
    QCoreApplication::processEvents();

    const QAbstractItemModel& model = view.siteModel();
    EXPECT_TRUE(paints.painted.contains(view.visualRect(model.index(0, 0)).center()));
    EXPECT_TRUE(paints.painted.contains(view.visualRect(model.index(2, 0)).center()));
    EXPECT_FALSE(paints.painted.contains(view.visualRect(model.index(1, 0)).center()));
}

}  // namespace
