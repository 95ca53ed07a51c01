#pragma once

#include <QDialog>
#include <QList>
#include <QString>
#include <QtGlobal>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

#include "platform/system/workerpool.h"
#include "rules/displayrule.h"

class ColorPicker;
class DialogHost;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class RuleSet;
class SiteIcons;
struct AppState;
struct RuleVerdict;
enum class RulesSave;

// The display rules of rules.txt as a list the user edits: add, change, delete, and move a
// rule up or down. Every edit is saved at once (atomically, through the rules store, so it
// is in force from the next article admitted); comments and lines the program cannot use stay
// in the file as they were. A headline typed into the test box names the rule it meets (matched
// on a worker; the answer shows when it comes).
// Modeless; one at a time. The list follows the file on disk; an edit is never written over
// a change made there that the list does not show.
class RulesDialog : public QDialog {
    Q_OBJECT
public:
    // The size it opens at, unless its texts need more.
    static constexpr int kClientWidthTwips = 8895;
    static constexpr int kClientHeightTwips = 6630;

    // The list's columns.
    enum Column { ColumnAction, ColumnPattern, ColumnSite, ColumnColour, ColumnCount };

    RulesDialog(AppState& state, DialogHost& host, QWidget* parent = nullptr);
    // With the colour dialog a test answers.
    RulesDialog(AppState& state, DialogHost& host, ColorPicker& picker, QWidget* parent = nullptr);
    ~RulesDialog() override;

    // The site boxes show each site's icon from icons (which outlives the dialog).
    void setSiteIcons(SiteIcons* icons);
    // Opens the dialog with the rules in force, or brings the open one forward unchanged.
    void showOrRaise();
    // Fills the list from the rules store and empties the fields.
    void Form_Load();

    // Each sends the edit to be saved at once; false when it was not (a rule the fields do
    // not make, no row selected, the file changed on disk since the list was filled, or a
    // save still under way). How the save ended shows when it comes: the list, lblStatus
    // (the file had changed on disk, or would grow too large) or a message box (it failed).
    bool cmdAdd_Click();
    bool cmdChange_Click();
    bool cmdDelete_Click();
    bool cmdUp_Click();
    bool cmdDown_Click();
    void cmdColor_Click();

    // Index in shownRules() of the rule the test box's headline meets, as last answered; -1
    // for none or for no headline.
    [[nodiscard]] int triedRule() const { return tried; }
    // The rules as the list shows them.
    [[nodiscard]] const QList<DisplayRule>& shownRules() const { return rules; }
    // Row of the list that is selected; -1 for none.
    [[nodiscard]] int selectedRow() const;
    void selectRow(int row);
    // The rule the fields describe, or nothing (lblStatus says why).
    [[nodiscard]] std::optional<DisplayRule> ruleFromFields();

    QTreeWidget* lstRules = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdUp = nullptr;
    QPushButton* cmdDown = nullptr;

    QGroupBox* fraRule = nullptr;
    QLabel* lblAction = nullptr;
    QComboBox* cboAction = nullptr;
    QLabel* lblPattern = nullptr;
    QLineEdit* txtPattern = nullptr;
    QLabel* lblSite = nullptr;
    QComboBox* cboSite = nullptr;
    QLabel* lblColor = nullptr;
    QLineEdit* txtColor = nullptr;
    QPushButton* cmdColor = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdChange = nullptr;

    QGroupBox* fraTry = nullptr;
    QLineEdit* txtTry = nullptr;
    QComboBox* cboTrySite = nullptr;
    QLabel* lblTryResult = nullptr;

    // Why the last edit did not happen, or what keeps the file from being edited.
    QLabel* lblStatus = nullptr;
    QPushButton* cmdClose = nullptr;

protected:
    void changeEvent(QEvent* event) override;
    // Delete in the list deletes the selected rule.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWidgets();
    void buildRuleBox();
    void buildTryBox();
    // After the rules in force changed (on disk, or by another window's edit).
    void followStore();
    // Fills both site boxes from the site table.
    void fillSiteBoxes();
    void fillList(int select);
    void showSelectedRule();
    void updateButtons();
    void cboAction_Change();
    void tryHeadline();
    // Enter in a field: changes the selected rule, or adds one when none is selected (an
    // added rule is not selected, so that Enter adds the next one as well).
    void applyFields();
    // Saves edited in place of the rules shown; once saved, selects row select and runs
    // then.
    bool commit(const QList<DisplayRule>& edited, int select, std::function<void()> then = {});
    void commitDone(RulesSave saved, const QList<DisplayRule>& edited, int select,
                    const std::function<void()>& then);
    // The list again from the rules in force, and why.
    void reread(const QString& why);
    void showTried(quint64 request, const std::shared_ptr<const RuleSet>& triedRules,
                   const RuleVerdict& verdict);
    bool moveSelected(int by);
    void showStatus(const QString& text);
    // The site a rule's feed URL names, as the list shows it.
    [[nodiscard]] QString siteCaption(const QString& feedUrl) const;
    [[nodiscard]] QString siteUrlOf(const QComboBox* box) const;

    AppState& state;
    DialogHost& host;
    std::unique_ptr<ColorPicker> ownPicker;
    ColorPicker& picker;
    QList<DisplayRule> rules;
    // Which rules in force the list shows.
    quint64 shownGeneration = 0;
    // The rules the list shows, compiled for the test box on its worker when first tried
    // (touched there only, once made).
    struct TryRules {
        QList<DisplayRule> rules;
        std::shared_ptr<const RuleSet> compiled;
    };
    std::shared_ptr<TryRules> tryRules;
    // A save of ours is under way: its outcome is shown by commitDone.
    bool saving = false;
    int tried = -1;
    // The test box's latest request; an answer to an older one is dropped.
    std::atomic<quint64> latestTry{0};
    // Last: it ends first, while what its jobs use is still there.
    WorkerPool tryWorker{1};
};
