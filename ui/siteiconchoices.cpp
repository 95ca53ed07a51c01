#include "ui/siteiconchoices.h"

#include <QAbstractItemDelegate>
#include <QComboBox>
#include <QListView>
#include <QPixmap>
#include <QPointer>
#include <QStandardItemModel>

#include "ui/siteicons.h"

// The box's own delegate, told apart only in that its drawing of a row asks for the icon.
class SiteIconChoices::DrawingDelegate final : public QAbstractItemDelegate {
public:
    DrawingDelegate(SiteIconChoices& model, QAbstractItemDelegate* own, QObject* parent)
        : QAbstractItemDelegate(parent), choices(model), inner(own) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (inner) {
            choices.drawing = true;
            inner->paint(painter, option, index);
            choices.drawing = false;
        }
    }
    [[nodiscard]] QSize sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const override {
        return inner ? inner->sizeHint(option, index) : QSize();
    }

private:
    SiteIconChoices& choices;
    QPointer<QAbstractItemDelegate> inner;
};

SiteIconChoices::SiteIconChoices(QComboBox* comboBox)
    : QIdentityProxyModel(comboBox), box(comboBox) {
    const auto forget = [this] { drawnWithIcon.clear(); };
    connect(this, &QAbstractItemModel::modelReset, this, forget);
    connect(this, &QAbstractItemModel::rowsInserted, this, forget);
    connect(this, &QAbstractItemModel::rowsRemoved, this, forget);
    connect(this, &QAbstractItemModel::rowsMoved, this, forget);
    connect(this, &QAbstractItemModel::layoutChanged, this, forget);
}

SiteIconChoices* SiteIconChoices::install(QComboBox* box) {
    auto* choices = new SiteIconChoices(box);
    choices->setSourceModel(new QStandardItemModel(0, 1, choices));
    box->setModel(choices);
    // Sized by a typical title, not by every site's text and icon.
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(16);
    if (auto* list = qobject_cast<QListView*>(box->view())) {
        list->setUniformItemSizes(true);
    }
    box->view()->setItemDelegate(
        new DrawingDelegate(*choices, box->view()->itemDelegate(), box->view()));
    return choices;
}

void SiteIconChoices::setSiteIcons(SiteIcons* icons) {
    if (siteIcons) {
        disconnect(siteIcons, nullptr, this, nullptr);
    }
    siteIcons = icons;
    drawnWithIcon.clear();
    if (!icons) {
        return;
    }
    connect(icons, &SiteIcons::iconChanged, this, [this](const QString& key) {
        const auto drawn = drawnWithIcon.constFind(key);
        if (drawn == drawnWithIcon.constEnd()) {
            return;
        }
        for (const int row : *drawn) {
            const QModelIndex changed = index(row, 0);
            Q_EMIT dataChanged(changed, changed, {Qt::DecorationRole});
        }
    });
    connect(icons, &SiteIcons::shownChanged, this, [this] {
        if (rowCount() > 0) {
            Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DecorationRole});
        }
    });
}

QVariant SiteIconChoices::data(const QModelIndex& index, int role) const {
    if (role != Qt::DecorationRole || !siteIcons || !siteIcons->isShown()) {
        return QIdentityProxyModel::data(index, role);
    }
    const IconSite site{QIdentityProxyModel::data(index, kHomePageRole).toString(),
                        QIdentityProxyModel::data(index, Qt::UserRole).toString()};
    if (site.feedUrl.isEmpty() && site.homePage.isEmpty()) {
        // Room for an icon, so that its text lines up with the sites'.
        QPixmap blank(16, 16);
        blank.fill(Qt::transparent);
        return QIcon(blank);
    }
    if (!drawing && index.row() != box->currentIndex()) {
        const QIcon known = siteIcons->knownIconOf(site);
        return known.isNull() ? SiteIcons::programIcon() : known;
    }
    const QString key = siteIcons->keyFor(site);
    if (!key.isEmpty()) {
        QList<int>& drawn = drawnWithIcon[key];
        if (!drawn.contains(index.row())) {
            drawn.append(index.row());
        }
    }
    return siteIcons->iconOrProgramIcon(site);
}
