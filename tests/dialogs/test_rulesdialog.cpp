#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QImage>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <functional>

#include "dialogs/rulesdialog.h"
#include "icons/iconservice.h"
#include "platform/net/httpclient.h"
#include "platform/modal/colorpicker.h"
#include "rules/rulesstore.h"
#include "tests/common/filesizelimit.h"
#include "tests/common/loopbackserver.h"
#include "tests/common/solidpng.h"
#include "tests/common/testenv.h"
#include "tests/dialogs/fakedialoghost.h"
#include "tests/platform/qstringprinter.h"
#include "tests/common/wholetexts.h"
#include "ui/siteicons.h"

namespace {

// A colour dialog the user answers with answer, or cancels when it is invalid.
class FakeColorPicker final : public ColorPicker {
public:
    QColor chooseColor(const QColor& start, QWidget*) override {
        return answer.isValid() ? answer : start;
    }
    QColor answer;
};

const QString kRulesFile = QString::fromLatin1(kRulesFileName);
// A comment, a line the program cannot use, and three rules (the highlight with its own colour).
const QByteArray kStartRules =
    "# mine\n"
    "mute\tspam\n"
    "oops\tx\n"
    "highlight\tQt\t\t#FF0000\n"
    "hold\t/urgent/\n";
const QString kFeedA = QStringLiteral("http://a.example/feed");

class RulesDialogTest : public ::testing::Test {
public:
    RulesDialogTest() : host(env.state()) {
        SiteRow site;
        site.intKind = kKindSite;
        site.strTitle = QStringLiteral("Site A");
        site.strXmlUrl = kFeedA;
        env.state().SiteTable.append(site);
        env.writeFile(kRulesFile, kStartRules);
        EXPECT_TRUE(reloadRules(store()));
        dialog = std::make_unique<RulesDialog>(env.state(), host, picker);
        dialog->Form_Load();
    }

    RulesStore& store() { return env.state().rulesStore(); }
    // The test box's answer comes from a worker; a new headline empties it until then.
    [[nodiscard]] bool waitForAnswer() {
        return QTest::qWaitFor([this] { return !dialog->lblTryResult->text().isEmpty(); }, 10000);
    }
    QByteArray file() const { return env.readFile(kRulesFile); }

    // The fields as the user fills them; an empty site is every site.
    void fill(RuleAction action, const QString& pattern, const QString& site = {},
              const QString& colour = {}) {
        dialog->cboAction->setCurrentIndex(dialog->cboAction->findData(int(action)));
        dialog->txtPattern->setText(pattern);
        dialog->cboSite->setCurrentIndex(site.isEmpty() ? 0 : -1);
        if (!site.isEmpty()) {
            dialog->cboSite->setEditText(site);
        }
        dialog->txtColor->setText(colour);
    }

    TestEnv env;
    FakeDialogHost host;
    FakeColorPicker picker;
    std::unique_ptr<RulesDialog> dialog;
};

class RulesDialogTestInEnglish : public InEnglish, public RulesDialogTest {};

TEST_F(RulesDialogTestInEnglish, EveryCaptionShowsWhole) {
    dialog->showOrRaise();
    expectEveryCaptionShowsWhole(*dialog);
}

// Every edit is in the file at once, comments and the unusable line kept where they were, and
// the list shows what the file now holds.
TEST_F(RulesDialogTest, EditsWriteTheExpectedLines) {
    struct Case {
        const char* name;
        std::function<bool(RulesDialogTest&)> edit;
        QByteArray expected;
    };
    const QList<Case> cases = {
        {"add for one site, typed as its URL",
         [](RulesDialogTest& t) {
             t.fill(RuleAction::Mute, QStringLiteral("広告"), kFeedA);
             return t.dialog->cmdAdd_Click();
         },
         kStartRules + "mute\t広告\thttp://a.example/feed\n"},
        {"add for a site picked by its title, Enter in the pattern box",
         [](RulesDialogTest& t) {
             t.fill(RuleAction::Hold, QStringLiteral("地震"));
             t.dialog->cboSite->setCurrentIndex(1);
             QTest::keyClick(t.dialog->txtPattern, Qt::Key_Return);
             return true;
         },
         kStartRules + "hold\t地震\thttp://a.example/feed\n"},
        {"add a highlight with the picked colour",
         [](RulesDialogTest& t) {
             t.fill(RuleAction::Highlight, QStringLiteral("Linux"));
             t.picker.answer = QColor(0x12, 0xAB, 0xEF);
             t.dialog->cmdColor_Click();
             return t.dialog->cmdAdd_Click();
         },
         kStartRules + "highlight\tLinux\t\t#12ABEF\n"},
        {"add a highlight, colour left empty",
         [](RulesDialogTest& t) {
             t.fill(RuleAction::Highlight, QStringLiteral("*"));
             return t.dialog->cmdAdd_Click();
         },
         kStartRules + "highlight\t*\n"},
        {"change the highlight's colour",
         [](RulesDialogTest& t) {
             t.dialog->selectRow(1);
             t.dialog->txtColor->setText(QStringLiteral("#00ff00"));
             return t.dialog->cmdChange_Click();
         },
         "# mine\nmute\tspam\noops\tx\nhighlight\tQt\t\t#00FF00\nhold\t/urgent/\n"},
        {"Enter with a rule selected changes it",
         [](RulesDialogTest& t) {
             t.dialog->selectRow(0);
             t.dialog->txtPattern->setText(QStringLiteral("ham"));
             QTest::keyClick(t.dialog->txtPattern, Qt::Key_Enter);
             return true;
         },
         "# mine\nmute\tham\noops\tx\nhighlight\tQt\t\t#FF0000\nhold\t/urgent/\n"},
        {"delete the first",
         [](RulesDialogTest& t) {
             t.dialog->selectRow(0);
             return t.dialog->cmdDelete_Click();
         },
         "# mine\nhighlight\tQt\t\t#FF0000\noops\tx\nhold\t/urgent/\n"},
        {"delete the last with the Delete key",
         [](RulesDialogTest& t) {
             t.dialog->selectRow(2);
             QTest::keyClick(t.dialog->lstRules, Qt::Key_Delete);
             return true;
         },
         "# mine\nmute\tspam\noops\tx\nhighlight\tQt\t\t#FF0000\n"},
        {"up",
         [](RulesDialogTest& t) {
             t.dialog->selectRow(2);
             return t.dialog->cmdUp_Click();
         },
         "# mine\nmute\tspam\noops\tx\nhold\t/urgent/\nhighlight\tQt\t\t#FF0000\n"},
        {"down",
         [](RulesDialogTest& t) {
             t.dialog->selectRow(0);
             return t.dialog->cmdDown_Click();
         },
         "# mine\nhighlight\tQt\t\t#FF0000\noops\tx\nmute\tspam\nhold\t/urgent/\n"},
        // Refused edits leave the file alone.
        {"up from the top",
         [](RulesDialogTest& t) {
             t.dialog->selectRow(0);
             return t.dialog->cmdUp_Click();
         },
         kStartRules},
        {"down from the bottom",
         [](RulesDialogTest& t) {
             t.dialog->selectRow(2);
             return t.dialog->cmdDown_Click();
         },
         kStartRules},
        {"empty pattern",
         [](RulesDialogTest& t) {
             t.fill(RuleAction::Mute, QString());
             return t.dialog->cmdAdd_Click();
         },
         kStartRules},
        {"bad regular expression",
         [](RulesDialogTest& t) {
             t.fill(RuleAction::Mute, QStringLiteral("/(/"));
             return t.dialog->cmdAdd_Click();
         },
         kStartRules},
        {"bad colour",
         [](RulesDialogTest& t) {
             t.fill(RuleAction::Highlight, QStringLiteral("x"), {}, QStringLiteral("#12"));
             return t.dialog->cmdAdd_Click();
         },
         kStartRules},
        {"a site URL holding a tab",
         [](RulesDialogTest& t) {
             t.fill(RuleAction::Mute, QStringLiteral("x"), QStringLiteral("http://a/\tb"));
             return t.dialog->cmdAdd_Click();
         },
         kStartRules},
        {"change with nothing selected",
         [](RulesDialogTest& t) {
             t.fill(RuleAction::Mute, QStringLiteral("x"));
             return t.dialog->cmdChange_Click();
         },
         kStartRules},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        env.writeFile(kRulesFile, kStartRules);
        EXPECT_TRUE(reloadRules(store()));
        dialog->Form_Load();
        const bool changed = c.edit(*this);
        EXPECT_TRUE(waitForRules(store()));
        EXPECT_EQ(changed, c.expected != kStartRules);
        EXPECT_EQ(file(), c.expected);
        EXPECT_EQ(dialog->shownRules(), RulesDocument::fromBytes(c.expected).rules());
        EXPECT_EQ(store().current()->rules(), dialog->shownRules());
        // A refused edit says why; a saved one leaves nothing to say but the unusable line.
        EXPECT_EQ(dialog->lstRules->topLevelItemCount(), dialog->shownRules().size());
        if (!changed) {
            EXPECT_FALSE(dialog->lblStatus->text().isEmpty());
        }
        EXPECT_TRUE(env.messageBox.shown.isEmpty());
    }
}

// A failed write says so, keeps the old file (no temporary one left beside it) and the list as
// it was; after the failure a write goes through again.
TEST_F(RulesDialogTest, FailedWriteKeepsTheOldFile) {
    fill(RuleAction::Hold, QString(4096, u'x'));
    {
        const FileSizeLimit limit(1024);
        ASSERT_TRUE(limit.applied);
        ASSERT_TRUE(dialog->cmdAdd_Click());
        // No second edit while one is under way: it would be made on the rules before it.
        EXPECT_FALSE(dialog->cmdAdd->isEnabled());
        EXPECT_FALSE(dialog->cmdAdd_Click());
        EXPECT_TRUE(waitForRules(store()));
    }

    EXPECT_EQ(file(), kStartRules);
    EXPECT_EQ(QDir(env.dir()).entryList({QStringLiteral("rules*")}, QDir::Files | QDir::Hidden),
              QStringList{kRulesFile});
    EXPECT_EQ(dialog->shownRules(), RulesDocument::fromBytes(kStartRules).rules());
    ASSERT_EQ(env.messageBox.shown.size(), 1);
    EXPECT_EQ(env.messageBox.shown[0].icon, MsgIcon::Warning);
    EXPECT_TRUE(env.messageBox.shown[0].text.contains(store().path()));

    fill(RuleAction::Hold, QStringLiteral("y"));
    EXPECT_TRUE(dialog->cmdAdd_Click());
    EXPECT_TRUE(waitForRules(store()));
    EXPECT_EQ(file(), kStartRules + "hold\ty\n");
}

// A file changed on disk after the list was filled is read again rather than written over; a
// file that cannot be read is not edited at all.
TEST_F(RulesDialogTest, NeverWritesOverAChangeOrAFileItCouldNotRead) {
    env.writeFile(kRulesFile, "mute\tother\n");
    EXPECT_TRUE(reloadRules(store()));
    fill(RuleAction::Mute, QStringLiteral("x"));
    EXPECT_FALSE(dialog->cmdAdd_Click());
    EXPECT_EQ(file(), "mute\tother\n");
    EXPECT_EQ(dialog->shownRules(), store().current()->rules());
    EXPECT_TRUE(dialog->cmdAdd_Click());
    EXPECT_TRUE(waitForRules(store()));
    EXPECT_EQ(file(), "mute\tother\nmute\tx\n");

    const QByteArray huge = "mute\tx\n" + QByteArray(kMaxRulesFileBytes, '#');
    env.writeFile(kRulesFile, huge);
    EXPECT_TRUE(reloadRules(store()));
    dialog->Form_Load();
    EXPECT_FALSE(dialog->cmdAdd->isEnabled());
    EXPECT_EQ(dialog->lblStatus->text(), store().readFailure());
    fill(RuleAction::Mute, QStringLiteral("y"));
    EXPECT_FALSE(dialog->cmdAdd_Click());
    EXPECT_EQ(file(), huge);
}

// Another program changed the file an instant before an edit, before its watcher told of it:
// the edit is not written over the change; the list shows the file as it now is, and says so.
TEST_F(RulesDialogTest, AHandEditJustBeforeADialogEditIsKept) {
    dialog->showOrRaise();
    const QByteArray handEdit = "mute\tspan\n";  // as long as the first line was
    env.writeFile(kRulesFile, kStartRules + handEdit);
    fill(RuleAction::Mute, QStringLiteral("x"));
    EXPECT_TRUE(dialog->cmdAdd_Click());
    EXPECT_TRUE(waitForRules(store()));
    EXPECT_EQ(file(), kStartRules + handEdit);
    EXPECT_EQ(dialog->shownRules(), store().current()->rules());
    EXPECT_EQ(dialog->shownRules().size(), 4);
    EXPECT_EQ(dialog->lblStatus->text(), rulesChangedOnDiskText());
    EXPECT_TRUE(env.messageBox.shown.isEmpty());
    EXPECT_TRUE(dialog->cmdAdd_Click());
    EXPECT_TRUE(waitForRules(store()));
    EXPECT_EQ(file(), kStartRules + handEdit + "mute\tx\n");
}

// An edit that would take the file past what the program reads is refused with a message; the
// file stays readable.
TEST_F(RulesDialogTest, AnEditPastTheReadLimitIsRefused) {
    // Ten bytes short of the limit.
    const QByteArray nearlyFull =
        kStartRules + '#' + QByteArray(kMaxRulesFileBytes - kStartRules.size() - 12, 'c') + '\n';
    env.writeFile(kRulesFile, nearlyFull);
    EXPECT_TRUE(reloadRules(store()));
    dialog->Form_Load();
    fill(RuleAction::Mute, QStringLiteral("ab"));  // 8 bytes with its tab and line end
    EXPECT_TRUE(dialog->cmdAdd_Click());
    EXPECT_TRUE(waitForRules(store()));
    const QByteArray full = file();
    EXPECT_EQ(full.size(), kMaxRulesFileBytes - 2);

    fill(RuleAction::Mute, QStringLiteral("abc"));
    EXPECT_TRUE(dialog->cmdAdd_Click());
    EXPECT_TRUE(waitForRules(store()));
    EXPECT_EQ(file(), full);
    EXPECT_EQ(dialog->lblStatus->text(), rulesTooLargeText());
    EXPECT_EQ(dialog->shownRules(), store().current()->rules());
    EXPECT_TRUE(env.messageBox.shown.isEmpty());
}

// The open dialog follows the file at once, without being touched; half a million unusable
// lines are named by the first few in its tool tip.
TEST_F(RulesDialogTest, FollowsTheFileOnDisk) {
    dialog->showOrRaise();
    env.writeFile(kRulesFile, "hold\tnew\n");
    EXPECT_TRUE(reloadRules(store()));
    EXPECT_EQ(dialog->shownRules(), store().current()->rules());
    EXPECT_TRUE(dialog->lblStatus->text().isEmpty());

    QByteArray junk;
    for (int i = 0; i < 500'000; ++i) {
        junk += "j\n";  // 1 MB, within what the program reads
    }
    env.writeFile(kRulesFile, junk);
    EXPECT_TRUE(reloadRules(store()));
    EXPECT_TRUE(dialog->shownRules().isEmpty());
    EXPECT_TRUE(dialog->lblStatus->text().contains(QStringLiteral("500000")));
    EXPECT_EQ(dialog->lblStatus->toolTip().count(u'\n'), 5);
    EXPECT_TRUE(dialog->lblStatus->toolTip().contains(QStringLiteral("499995")));
}

// The test box names the rule a headline meets, by the rules as edited and the site chosen.
TEST_F(RulesDialogTest, TestBoxNamesTheRuleAHeadlineMeets) {
    env.writeFile(kRulesFile,
                  "highlight\tＱｔ\n"
                  "hold\t/^breaking/\n"
                  "mute\tｶﾀｶﾅ\n"
                  "mute\t*\thttp://a.example/feed\n");
    EXPECT_TRUE(reloadRules(store()));
    dialog->Form_Load();
    struct Case {
        const char* headline;
        int site;  // index in the test's site box: 0 every site, 1 Site A
        int rule;
    };
    const QList<Case> cases = {
        {"qt 6.4 released", 0, 0},
        {"Breaking: rain", 0, 1},
        {"rain, breaking", 0, -1},
        {"カタカナ and Qt", 0, 2},
        {"anything", 1, 3},
        {"nothing", 0, -1},
        {"", 0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.headline);
        dialog->cboTrySite->setCurrentIndex(c.site);
        dialog->txtTry->setText(QString::fromUtf8(c.headline));
        if (c.headline[0] != '\0') {
            EXPECT_TRUE(waitForAnswer());
        }
        EXPECT_EQ(dialog->triedRule(), c.rule);
        if (c.rule >= 0) {
            EXPECT_TRUE(
                dialog->lblTryResult->text().contains(dialog->shownRules().at(c.rule).pattern));
        }
        EXPECT_EQ(dialog->lblTryResult->text().isEmpty(), c.headline[0] == '\0');
    }

    // The match runs on a worker: nothing is answered on the spot, and of two headlines
    // typed in quick succession only the later is answered.
    dialog->cboTrySite->setCurrentIndex(0);
    dialog->txtTry->setText(QStringLiteral("Breaking: rain"));
    dialog->txtTry->setText(QStringLiteral("qt"));
    EXPECT_TRUE(dialog->lblTryResult->text().isEmpty());
    EXPECT_EQ(dialog->triedRule(), -1);
    EXPECT_TRUE(waitForAnswer());
    EXPECT_EQ(dialog->triedRule(), 0);

    // An edit counts at once: the headline meets its rule in the rule's new place.
    dialog->txtTry->setText(QStringLiteral("Qt"));
    dialog->selectRow(0);
    ASSERT_TRUE(dialog->cmdDown_Click());
    EXPECT_TRUE(waitForRules(store()));
    EXPECT_TRUE(waitForAnswer());
    EXPECT_EQ(dialog->triedRule(), 1);
}

// The site boxes show each site's icon once it has come from the loopback site (the
// program's until then), ask only for the icons of the rows drawn, however many sites there
// are, and show none with SITE_ICONS off.
TEST_F(RulesDialogTest, SiteBoxesShowIconsOfTheRowsTheyDraw) {
    LoopbackServer server;
    serveLateRedIcon(server);
    SiteRowArray& table = env.state().SiteTable;
    table[0].strHtmlUrl = server.url(QStringLiteral("/"));
    // Thousands of sites on hosts of their own that refuse at once.
    for (int i = 0; i < 3000; ++i) {
        SiteRow site;
        site.intKind = kKindSite;
        site.strTitle = QStringLiteral("Site %1").arg(i);
        site.strXmlUrl = QStringLiteral("http://s%1.localhost:9/feed").arg(i);
        table.append(site);
    }

    QTemporaryDir cache;
    FakeClock clock;
    HttpClient http;
    IconService service(http, cache.path(), clock);
    Settings& settings = env.state().settings;
    SiteIcons icons(service, settings);
    dialog->setSiteIcons(&icons);
    dialog->showOrRaise();
    QComboBox* box = dialog->cboTrySite;
    ASSERT_EQ(box->count(), 3002);
    box->showPopup();
    box->view()->viewport()->grab();
    EXPECT_GT(service.pendingCount(), 1);
    EXPECT_LT(service.pendingCount(), 100);

    const auto centre = [box] { return box->itemIcon(1).pixmap(16).toImage().pixelColor(8, 8); };
    const QColor program = SiteIcons::programIcon().pixmap(16).toImage().pixelColor(8, 8);
    EXPECT_EQ(centre(), program);
    // Every site: room for an icon, nothing drawn in it.
    EXPECT_EQ(box->itemIcon(0).pixmap(16).toImage().pixelColor(8, 8).alpha(), 0);
    QSignalSpy changed(box->model(), &QAbstractItemModel::dataChanged);
    ASSERT_TRUE(QTest::qWaitFor([&] { return centre() == QColor(Qt::red); }, 10000));
    EXPECT_FALSE(changed.isEmpty());
    box->hidePopup();

    changed.clear();
    settings.SITE_ICONS = false;
    icons.followSettings();
    EXPECT_FALSE(changed.isEmpty());
    EXPECT_TRUE(box->itemIcon(1).isNull());
    EXPECT_EQ(service.pendingCount(), 0);
}

}  // namespace
