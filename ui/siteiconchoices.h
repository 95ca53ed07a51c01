#pragma once

#include <QHash>
#include <QIdentityProxyModel>
#include <QList>
#include <QString>

class QComboBox;
class SiteIcons;

// A combo box's list of sites with each site's icon: its rows keep the feed URL under
// Qt::UserRole and the home page under kHomePageRole. Only the rows drawn (and the chosen
// one) ask for their icons, so a list of thousands of sites fetches no more than it shows;
// a look at every row (the box sizing its list) gets the icons at hand. A site without an
// icon shows the program's; a row that names no site (every site) an empty one; with SITE_ICONS
// off, no row has one. Icons that arrive are drawn in place, the row's size unchanged.
class SiteIconChoices final : public QIdentityProxyModel {
    Q_OBJECT
public:
    static constexpr int kHomePageRole = Qt::UserRole + 1;

    // Gives box a list of this kind over an empty QStandardItemModel of one column, to be
    // filled through sourceModel().
    static SiteIconChoices* install(QComboBox* box);

    // Icons from icons (which outlives this); none without.
    void setSiteIcons(SiteIcons* icons);

    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;

private:
    class DrawingDelegate;

    explicit SiteIconChoices(QComboBox* box);

    QComboBox* box;
    SiteIcons* siteIcons = nullptr;
    // While the box's list draws a row: its icon is asked for.
    bool drawing = false;
    // The rows drawn with (or waiting for) each icon, by the icon's key; forgotten when rows
    // come or go, as they are drawn again then.
    mutable QHash<QString, QList<int>> drawnWithIcon;
};
