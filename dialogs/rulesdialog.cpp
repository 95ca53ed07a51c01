#include "dialogs/rulesdialog.h"

#include <QCoreApplication>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QStandardItemModel>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <array>

#include "core/appstate.h"
#include "core/version.h"
#include "platform/modal/messagebox.h"
#include "platform/modal/qtcolorpicker.h"
#include "platform/desktop/screeninfo.h"
#include "rules/rulesproblems.h"
#include "rules/ruleset.h"
#include "rules/rulesstore.h"
#include "ui/dialoghost.h"
#include "ui/siteiconchoices.h"
#include "ui/siteicons.h"
#include "ui/twipslayout.h"
#include "ui/uifont.h"

namespace {

// The actions the box offers, strongest first.
constexpr std::array kActions = {RuleAction::Mute, RuleAction::Hold, RuleAction::Highlight};

QString actionCaption(RuleAction action) {
    switch (action) {
        case RuleAction::Mute:
            return QCoreApplication::translate("RulesDialog", "表示しない");
        case RuleAction::Hold:
            return QCoreApplication::translate("RulesDialog", "読むまで止める");
        case RuleAction::Highlight:
            return QCoreApplication::translate("RulesDialog", "色を付ける");
        case RuleAction::Show:
            return QCoreApplication::translate("RulesDialog", "表示する");
    }
    return {};
}

constexpr char kEverySite[] = QT_TRANSLATE_NOOP("RulesDialog", "すべてのサイト");

QString colourText(quint32 colour) {
    return QStringLiteral("#%1").arg(colour, 6, 16, QLatin1Char('0')).toUpper();
}

// Why an edit cannot be written, for the one rule the fields describe.
QString editProblemText(const RuleProblem& problem) {
    switch (problem.kind) {
        case RuleProblem::Kind::EmptyPattern:
            return QCoreApplication::translate("RulesDialog", "パターンを入力してください。");
        case RuleProblem::Kind::BadRegex:
            return QCoreApplication::translate("RulesDialog", "正規表現の誤りです (%1)。")
                .arg(problem.detail);
        case RuleProblem::Kind::BadColour:
            return QCoreApplication::translate("RulesDialog",
                                               "色は #RRGGBB の形で入力してください。");
        case RuleProblem::Kind::UnwritableText:
            return QCoreApplication::translate("RulesDialog", "タブや改行は使えません。");
        case RuleProblem::Kind::NotUtf8:
        case RuleProblem::Kind::UnknownAction:
        case RuleProblem::Kind::TooManyFields:
        case RuleProblem::Kind::OverBudget:
            break;
    }
    return ruleProblemText(problem);
}

QIcon swatch(quint32 colour) {
    QPixmap pixmap(12, 12);
    pixmap.fill(QColor::fromRgb(colour));
    return QIcon(pixmap);
}

}  // namespace

RulesDialog::RulesDialog(AppState& appState, DialogHost& dialogHost, QWidget* parent)
    : QDialog(parent),
      state(appState),
      host(dialogHost),
      ownPicker(std::make_unique<QtColorPicker>()),
      picker(*ownPicker) {
    buildWidgets();
}

RulesDialog::RulesDialog(AppState& appState, DialogHost& dialogHost, ColorPicker& colorPicker,
                         QWidget* parent)
    : QDialog(parent), state(appState), host(dialogHost), picker(colorPicker) {
    buildWidgets();
}

RulesDialog::~RulesDialog() {
    state.rulesStore().removeChangedHandlers(this);
}

namespace {

QPushButton* newButton(const char* name, const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    // Enter in a field applies the fields; it never presses a button that lacks the focus.
    b->setAutoDefault(false);
    return b;
}

// A column of buttons beside a box, as wide as the widest caption needs.
QVBoxLayout* buttonColumn(std::initializer_list<QPushButton*> buttons) {
    auto* column = new QVBoxLayout;
    for (QPushButton* b : buttons) {
        column->addWidget(b);
    }
    column->addStretch();
    return column;
}

// A list of sites with their icons, a few thousand of them as cheap as a few.
QComboBox* newSiteBox(const char* name, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    SiteIconChoices::install(box);
    return box;
}

}  // namespace

void RulesDialog::buildWidgets() {
    setObjectName(QStringLiteral("RulesDialog"));
    setWindowTitle(tr("%1 表示ルール").arg(QLatin1String(kApplicationTitle)));
    setWindowIcon(SiteIcons::programIcon());
    setModal(false);
    setFont(uiFont());

    // Made in the order Tab visits them.
    lstRules = new QTreeWidget(this);
    lstRules->setObjectName(QStringLiteral("lstRules"));
    lstRules->setRootIsDecorated(false);
    lstRules->setUniformRowHeights(true);
    lstRules->setAllColumnsShowFocus(true);
    lstRules->setSelectionMode(QAbstractItemView::SingleSelection);
    lstRules->setHeaderLabels({tr("動作"), tr("パターン"), tr("サイト"), tr("色")});
    lstRules->setAccessibleName(tr("表示ルールの一覧"));
    lstRules->installEventFilter(this);
    cmdDelete = newButton("cmdDelete", tr("削除(&D)"), this);
    cmdUp = newButton("cmdUp", tr("上へ(&U)"), this);
    cmdDown = newButton("cmdDown", tr("下へ(&N)"), this);
    buildRuleBox();
    cmdAdd = newButton("cmdAdd", tr("追加(&A)"), this);
    cmdChange = newButton("cmdChange", tr("変更(&E)"), this);
    buildTryBox();
    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setTextFormat(Qt::PlainText);
    lblStatus->setWordWrap(true);
    cmdClose = newButton("cmdClose", tr("閉じる"), this);

    auto* grid = new QGridLayout(this);
    grid->addWidget(lstRules, 0, 0);
    grid->addLayout(buttonColumn({cmdDelete, cmdUp, cmdDown}), 0, 1);
    grid->addWidget(fraRule, 1, 0);
    grid->addLayout(buttonColumn({cmdAdd, cmdChange}), 1, 1);
    grid->addWidget(fraTry, 2, 0);
    grid->addWidget(lblStatus, 3, 0);
    grid->addWidget(cmdClose, 3, 1, Qt::AlignBottom);
    grid->setRowStretch(0, 1);
    grid->setColumnStretch(0, 1);
    // Room for a few rules and a long pattern when opened; the user may make it larger.
    resize(sizeHint().expandedTo(
        QSize(twipsToPixels(kClientWidthTwips), twipsToPixels(kClientHeightTwips))));
    const int unit = fontMetrics().averageCharWidth();
    lstRules->setColumnWidth(ColumnAction, 12 * unit);
    lstRules->setColumnWidth(ColumnPattern, 24 * unit);
    lstRules->setColumnWidth(ColumnSite, 18 * unit);

    connect(lstRules, &QTreeWidget::itemSelectionChanged, this, [this] {
        showSelectedRule();
        updateButtons();
    });
    connect(cmdDelete, &QPushButton::clicked, this, &RulesDialog::cmdDelete_Click);
    connect(cmdUp, &QPushButton::clicked, this, &RulesDialog::cmdUp_Click);
    connect(cmdDown, &QPushButton::clicked, this, &RulesDialog::cmdDown_Click);
    connect(cmdAdd, &QPushButton::clicked, this, &RulesDialog::cmdAdd_Click);
    connect(cmdChange, &QPushButton::clicked, this, &RulesDialog::cmdChange_Click);
    connect(cmdColor, &QPushButton::clicked, this, &RulesDialog::cmdColor_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(cboAction, &QComboBox::currentIndexChanged, this, &RulesDialog::cboAction_Change);
    for (QLineEdit* field : {txtPattern, txtColor, cboSite->lineEdit()}) {
        connect(field, &QLineEdit::returnPressed, this, &RulesDialog::applyFields);
    }
    connect(txtTry, &QLineEdit::textChanged, this, &RulesDialog::tryHeadline);
    connect(cboTrySite, &QComboBox::currentIndexChanged, this, &RulesDialog::tryHeadline);
    // An editor or a sync tool changed rules.txt: the list shows it at once.
    state.rulesStore().addChangedHandler(this, [this] { followStore(); });
}

void RulesDialog::buildRuleBox() {
    fraRule = new QGroupBox(tr("ルール"), this);
    fraRule->setObjectName(QStringLiteral("fraRule"));
    const auto label = [this](const char* name, const QString& caption, QWidget* buddy) {
        auto* l = new QLabel(caption, fraRule);
        l->setObjectName(QLatin1String(name));
        l->setBuddy(buddy);
        return l;
    };
    cboAction = new QComboBox(fraRule);
    cboAction->setObjectName(QStringLiteral("cboAction"));
    // A screen reader names a combo box by its value unless told its label.
    cboAction->setAccessibleName(tr("動作"));
    for (const RuleAction action : kActions) {
        cboAction->addItem(actionCaption(action), int(action));
    }
    txtPattern = new QLineEdit(fraRule);
    txtPattern->setObjectName(QStringLiteral("txtPattern"));
    txtPattern->setToolTip(
        tr("見出しに含まれる文字（大文字と小文字、全角と半角は区別しません）。"
           "* はすべての見出し、/…/ は正規表現です。"));
    cboSite = newSiteBox("cboSite", fraRule);
    cboSite->setEditable(true);
    cboSite->setInsertPolicy(QComboBox::NoInsert);
    cboSite->setToolTip(tr("サイトを選ぶか、RSSファイルのURLを入力します。"));
    cboSite->lineEdit()->setAccessibleName(tr("サイト"));
    txtColor = new QLineEdit(fraRule);
    txtColor->setObjectName(QStringLiteral("txtColor"));
    txtColor->setToolTip(tr("#RRGGBB の形で入力します。空のときは #FFD700 です。"));
    txtColor->setAttribute(Qt::WA_InputMethodEnabled, false);
    txtColor->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("#MMMMMMM")));
    cmdColor = newButton("cmdColor", tr("色の選択(&C)..."), fraRule);
    lblAction = label("lblAction", tr("動作(&K)"), cboAction);
    lblPattern = label("lblPattern", tr("パターン(&P)"), txtPattern);
    lblSite = label("lblSite", tr("サイト(&S)"), cboSite);
    lblColor = label("lblColor", tr("色(&L)"), txtColor);

    auto* colour = new QHBoxLayout;
    colour->addWidget(txtColor);
    colour->addWidget(cmdColor);
    colour->addStretch();
    auto* action = new QHBoxLayout;
    action->addWidget(cboAction);
    action->addStretch();
    auto* form = new QGridLayout(fraRule);
    form->addWidget(lblAction, 0, 0);
    form->addLayout(action, 0, 1);
    form->addWidget(lblPattern, 1, 0);
    form->addWidget(txtPattern, 1, 1);
    form->addWidget(lblSite, 2, 0);
    form->addWidget(cboSite, 2, 1);
    form->addWidget(lblColor, 3, 0);
    form->addLayout(colour, 3, 1);
    form->setColumnStretch(1, 1);
}

void RulesDialog::buildTryBox() {
    fraTry = new QGroupBox(tr("見出しで試す"), this);
    fraTry->setObjectName(QStringLiteral("fraTry"));
    txtTry = new QLineEdit(fraTry);
    txtTry->setObjectName(QStringLiteral("txtTry"));
    txtTry->setPlaceholderText(tr("見出しを入力してください"));
    txtTry->setAccessibleName(fraTry->title());
    cboTrySite = newSiteBox("cboTrySite", fraTry);
    cboTrySite->setAccessibleName(tr("試すサイト"));
    lblTryResult = new QLabel(fraTry);
    lblTryResult->setObjectName(QStringLiteral("lblTryResult"));
    lblTryResult->setTextFormat(Qt::PlainText);
    lblTryResult->setWordWrap(true);

    auto* form = new QGridLayout(fraTry);
    form->addWidget(txtTry, 0, 0);
    form->addWidget(cboTrySite, 0, 1);
    form->addWidget(lblTryResult, 1, 0, 1, 2);
    form->setColumnStretch(0, 2);
    form->setColumnStretch(1, 1);
}

void RulesDialog::setSiteIcons(SiteIcons* icons) {
    for (QComboBox* box : {cboSite, cboTrySite}) {
        static_cast<SiteIconChoices*>(box->model())->setSiteIcons(icons);
    }
}

void RulesDialog::followStore() {
    if (saving || !isVisible()) {
        return;  // the save shows its own outcome; Form_Load reads the store when opened
    }
    if (state.rulesStore().generation() != shownGeneration) {
        rules = state.rulesStore().document().rules();
        shownGeneration = state.rulesStore().generation();
        fillList(-1);
    } else {
        updateButtons();
    }
    showStatus(QString());
}

void RulesDialog::showOrRaise() {
    if (!isVisible()) {
        Form_Load();
    }
    showInFront(this);
}

void RulesDialog::Form_Load() {
    const QPoint topLeft =
        host.mainWindowTopLeftTwips() + QPoint(kDialogOffsetTwips, kDialogOffsetTwips);
    moveWindowTwips(this, topLeft);
    fillSiteBoxes();
    const RulesStore& store = state.rulesStore();
    rules = store.document().rules();
    shownGeneration = store.generation();
    fillList(-1);
    cboAction->setCurrentIndex(0);
    txtPattern->clear();
    cboSite->setCurrentIndex(0);
    txtColor->clear();
    cboAction_Change();
    showStatus(QString());
    // Nothing selected, so that Enter in the fields adds a rule.
    txtPattern->setFocus();
}

bool RulesDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lstRules && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Delete)) {
        cmdDelete_Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void RulesDialog::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    // Back from another window (or an editor that changed rules.txt): the list shows the
    // rules in force, and whether they can be edited.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() &&
        state.rulesStore().generation() != shownGeneration) {
        rules = state.rulesStore().document().rules();
        shownGeneration = state.rulesStore().generation();
        fillList(-1);
        showStatus(QString());
    }
}

void RulesDialog::fillSiteBoxes() {
    const auto item = [](const QString& title, const QString& feedUrl, const QString& homePage) {
        auto* choice = new QStandardItem(title);
        choice->setData(feedUrl, Qt::UserRole);
        choice->setData(homePage, SiteIconChoices::kHomePageRole);
        if (!feedUrl.isEmpty()) {
            choice->setToolTip(feedUrl);
        }
        return choice;
    };
    QList<const SiteRow*> sites;
    QSet<QString> urls;
    for (int index = 0; index < state.SiteTable.size(); ++index) {
        const SiteRow& row = state.SiteTable[index];
        if (row.intKind != kKindSite || row.blnDeleted || row.strXmlUrl.isEmpty() ||
            urls.contains(row.strXmlUrl)) {
            continue;
        }
        urls.insert(row.strXmlUrl);
        sites.append(&row);
    }
    for (QComboBox* box : {cboSite, cboTrySite}) {
        auto* choices = static_cast<QStandardItemModel*>(
            static_cast<SiteIconChoices*>(box->model())->sourceModel());
        choices->removeRows(0, choices->rowCount());
        QList<QStandardItem*> items{item(tr(kEverySite), QString(), QString())};
        items.reserve(sites.size() + 1);
        for (const SiteRow* row : std::as_const(sites)) {
            items.append(item(row->strTitle, row->strXmlUrl, row->strHtmlUrl));
        }
        // In one step: a list of thousands of sites is one change for the box.
        choices->invisibleRootItem()->appendRows(items);
        box->setCurrentIndex(0);
    }
}

QString RulesDialog::siteCaption(const QString& feedUrl) const {
    if (feedUrl.isEmpty()) {
        return tr(kEverySite);
    }
    const int index = cboSite->findData(feedUrl);
    return index > 0 ? cboSite->itemText(index) : feedUrl;
}

QString RulesDialog::siteUrlOf(const QComboBox* box) const {
    const QString text = box->currentText();
    // The site picked, or one whose title was typed; anything else typed is a feed URL.
    int index = box->currentIndex();
    if (index < 0 || box->itemText(index) != text) {
        index = box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    }
    if (index >= 0) {
        return box->itemData(index).toString();
    }
    return text.trimmed();
}

void RulesDialog::fillList(int select) {
    const QSignalBlocker blocker(lstRules);
    lstRules->clear();
    for (const DisplayRule& rule : std::as_const(rules)) {
        auto* item = new QTreeWidgetItem(lstRules);
        item->setText(ColumnAction, actionCaption(rule.action));
        item->setText(ColumnPattern, rule.pattern);
        item->setText(ColumnSite, siteCaption(rule.feedUrl));
        if (!rule.feedUrl.isEmpty()) {
            item->setToolTip(ColumnSite, rule.feedUrl);
        }
        if (rule.action == RuleAction::Highlight) {
            item->setText(ColumnColour, colourText(rule.colour));
            item->setIcon(ColumnColour, swatch(rule.colour));
        }
    }
    tryRules = std::make_shared<TryRules>();
    tryRules->rules = rules;
    selectRow(select);
    showSelectedRule();
    updateButtons();
    tryHeadline();
}

int RulesDialog::selectedRow() const {
    const QList<QTreeWidgetItem*> selected = lstRules->selectedItems();
    return selected.isEmpty() ? -1 : lstRules->indexOfTopLevelItem(selected.first());
}

void RulesDialog::selectRow(int row) {
    QTreeWidgetItem* item = lstRules->topLevelItem(row);
    if (!item) {
        lstRules->clearSelection();
        return;
    }
    lstRules->setCurrentItem(item);
    item->setSelected(true);
    lstRules->scrollToItem(item);
}

void RulesDialog::showSelectedRule() {
    const int row = selectedRow();
    if (row < 0 || row >= rules.size()) {
        return;
    }
    const DisplayRule& rule = rules.at(row);
    cboAction->setCurrentIndex(cboAction->findData(int(rule.action)));
    txtPattern->setText(rule.pattern);
    // By its URL: two sites may share a title.
    const int site = cboSite->findData(rule.feedUrl);
    cboSite->setCurrentIndex(site);
    if (site < 0) {
        cboSite->setEditText(rule.feedUrl);
    }
    txtColor->setText(rule.action == RuleAction::Highlight ? colourText(rule.colour) : QString());
    cboAction_Change();
}

void RulesDialog::updateButtons() {
    const int row = selectedRow();
    const bool editable = state.rulesStore().readFailure().isEmpty() && !saving;
    cmdAdd->setEnabled(editable);
    cmdChange->setEnabled(editable && row >= 0);
    cmdDelete->setEnabled(editable && row >= 0);
    cmdUp->setEnabled(editable && row > 0);
    cmdDown->setEnabled(editable && row >= 0 && row < rules.size() - 1);
}

void RulesDialog::cboAction_Change() {
    const bool colour = RuleAction(cboAction->currentData().toInt()) == RuleAction::Highlight;
    lblColor->setEnabled(colour);
    txtColor->setEnabled(colour);
    cmdColor->setEnabled(colour);
}

std::optional<DisplayRule> RulesDialog::ruleFromFields() {
    DisplayRule rule;
    rule.action = RuleAction(cboAction->currentData().toInt());
    rule.pattern = txtPattern->text();
    rule.feedUrl = siteUrlOf(cboSite);
    if (rule.action == RuleAction::Highlight) {
        static const QRegularExpression hex(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
        const QString colour = txtColor->text().trimmed();
        if (!colour.isEmpty() && !hex.match(colour).hasMatch()) {
            showStatus(editProblemText({0, RuleProblem::Kind::BadColour, colour}));
            txtColor->setFocus();
            return std::nullopt;
        }
        rule.colour =
            colour.isEmpty() ? kDefaultHighlightColour : colour.mid(1).toUInt(nullptr, 16);
    }
    if (const std::optional<RuleProblem> problem = checkRule(rule)) {
        showStatus(editProblemText(*problem));
        txtPattern->setFocus();
        return std::nullopt;
    }
    return rule;
}

bool RulesDialog::cmdAdd_Click() {
    const std::optional<DisplayRule> rule = ruleFromFields();
    if (!rule) {
        return false;
    }
    QList<DisplayRule> edited = rules;
    edited.append(*rule);
    return commit(edited, -1, [this] {
        // Ready for the next rule, which Enter adds too; the new one shows at the end.
        lstRules->scrollToBottom();
        txtPattern->clear();
        txtPattern->setFocus();
    });
}

bool RulesDialog::cmdChange_Click() {
    const int row = selectedRow();
    if (row < 0) {
        return false;
    }
    const std::optional<DisplayRule> rule = ruleFromFields();
    if (!rule) {
        return false;
    }
    QList<DisplayRule> edited = rules;
    edited[row] = *rule;
    return commit(edited, row);
}

bool RulesDialog::cmdDelete_Click() {
    const int row = selectedRow();
    if (row < 0 || !cmdDelete->isEnabled()) {
        return false;
    }
    QList<DisplayRule> edited = rules;
    edited.removeAt(row);
    return commit(edited, qMin(row, int(edited.size()) - 1));
}

bool RulesDialog::cmdUp_Click() {
    return moveSelected(-1);
}

bool RulesDialog::cmdDown_Click() {
    return moveSelected(1);
}

bool RulesDialog::moveSelected(int by) {
    const int row = selectedRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= rules.size()) {
        return false;
    }
    QList<DisplayRule> edited = rules;
    edited.swapItemsAt(row, to);
    return commit(edited, to);
}

void RulesDialog::applyFields() {
    if (selectedRow() >= 0) {
        cmdChange_Click();
    } else {
        cmdAdd_Click();
    }
}

void RulesDialog::cmdColor_Click() {
    const QString text = txtColor->text().trimmed();
    const QColor start(text.isEmpty() ? colourText(kDefaultHighlightColour) : text);
    QPointer<RulesDialog> self(this);
    picker.pickColor(start.isValid() ? start : QColor::fromRgb(kDefaultHighlightColour), this,
                     [self](const QColor& chosen) {
                         if (self && chosen.isValid()) {
                             self->txtColor->setText(colourText(chosen.rgb() & 0xFFFFFF));
                         }
                     });
}

bool RulesDialog::commit(const QList<DisplayRule>& edited, int select, std::function<void()> then) {
    RulesStore& store = state.rulesStore();
    if (saving) {
        return false;  // the next edit is made on what this one leaves
    }
    if (!store.readFailure().isEmpty()) {
        showStatus(store.readFailure());
        return false;
    }
    // The file changed on disk since the list was filled: an edit of the old list would put
    // back what was changed there.
    if (store.generation() != shownGeneration) {
        reread(rulesChangedOnDiskText());
        return false;
    }
    RulesDocument document = store.document();
    if (!document.setRules(edited)) {
        state.seams.messageBox.show(rulesSaveFailedText(store.path()), state.exeBaseName(),
                                    MsgButtons::Ok, MsgIcon::Warning);
        return false;
    }
    saving = true;
    updateButtons();
    store.save(std::move(document), [self = QPointer<RulesDialog>(this), edited, select,
                                     then = std::move(then)](RulesSave saved) {
        if (self) {
            self->commitDone(saved, edited, select, then);
        }
    });
    return true;
}

void RulesDialog::commitDone(RulesSave saved, const QList<DisplayRule>& edited, int select,
                             const std::function<void()>& then) {
    saving = false;
    switch (saved) {
        case RulesSave::Saved:
            break;
        case RulesSave::ChangedOnDisk:
            reread(rulesChangedOnDiskText());
            return;
        case RulesSave::TooLarge:
            updateButtons();
            showStatus(rulesTooLargeText());
            return;
        case RulesSave::Failed:
            state.seams.messageBox.show(rulesSaveFailedText(state.rulesStore().path()),
                                        state.exeBaseName(), MsgButtons::Ok, MsgIcon::Warning);
            updateButtons();
            showStatus(QString());
            return;
    }
    rules = edited;
    shownGeneration = state.rulesStore().generation();
    fillList(select);
    showStatus(QString());
    if (then) {
        then();
    }
}

void RulesDialog::reread(const QString& why) {
    rules = state.rulesStore().document().rules();
    shownGeneration = state.rulesStore().generation();
    fillList(-1);
    showStatus(why);
}

void RulesDialog::tryHeadline() {
    const quint64 request = ++latestTry;
    const QString headline = txtTry->text();
    // No answer for another headline shows meanwhile.
    tried = -1;
    lblTryResult->clear();
    if (headline.isEmpty() || !tryRules) {
        return;
    }
    // A user's regular expression, bounded as it is, never runs on this thread.
    tryWorker.start([this, request, headline, feedUrl = siteUrlOf(cboTrySite), shown = tryRules] {
        if (latestTry.load() != request) {
            return;  // typed on meanwhile
        }
        // Its own compiled set: an expression that gives up here is no news for the patrol.
        if (!shown->compiled) {
            shown->compiled = RuleSet::compile(shown->rules);
        }
        const std::shared_ptr<const RuleSet> triedRules = shown->compiled;
        const RuleVerdict verdict = triedRules->verdict(headline, feedUrl);
        // The destructor waits for this job, so this dialog is still here to post to.
        QMetaObject::invokeMethod(
            this, [this, request, triedRules, verdict] { showTried(request, triedRules, verdict); },
            Qt::QueuedConnection);
    });
}

void RulesDialog::showTried(quint64 request, const std::shared_ptr<const RuleSet>& triedRules,
                            const RuleVerdict& verdict) {
    if (request != latestTry.load()) {
        return;
    }
    if (verdict.rule < 0) {
        lblTryResult->setText(verdict.skipped
                                  ? tr("どのルールにも当てはまりません。照合に時間がかかりすぎる正"
                                       "規表現は飛ばしました。")
                                  : tr("どのルールにも当てはまりません。そのまま表示されます。"));
        return;
    }
    tried = verdict.rule;
    const DisplayRule& rule = triedRules->rules().at(verdict.rule);
    lblTryResult->setText(tr("%1番目のルール「%2」に当てはまります: %3")
                              .arg(QString::number(verdict.rule + 1),
                                   printableRuleText(rule.pattern), actionCaption(verdict.action)));
}

void RulesDialog::showStatus(const QString& text) {
    QString shown = text;
    const RulesStore& store = state.rulesStore();
    if (shown.isEmpty() && !store.readFailure().isEmpty()) {
        shown = store.readFailure();
    }
    if (shown.isEmpty()) {
        const std::shared_ptr<const RuleSet> inForce = store.current();
        const QList<RuleProblem>& problems = inForce->problems();
        const QList<RuleProblem> overBudget = inForce->overBudgetProblems();
        if (!problems.isEmpty()) {
            shown = tr("使えない行が %1 行あります。ファイルにはそのまま残ります。")
                        .arg(problems.size());
        } else if (!overBudget.isEmpty()) {
            shown = ruleProblemText(overBudget.front());
        }
        // A few named, however many there are: a tool tip of every line of a broken file
        // of half a million lines would take the windows for a minute.
        lblStatus->setToolTip(ruleProblemDetails(problems + overBudget));
    } else {
        lblStatus->setToolTip(QString());
    }
    lblStatus->setText(shown);
    // A screen reader reads the text itself; while there is none, it says what comes here.
    lblStatus->setAccessibleName(shown.isEmpty() ? tr("表示ルールの状況") : QString());
}
