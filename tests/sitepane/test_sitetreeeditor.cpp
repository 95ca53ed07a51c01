#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>

#include "tests/sitepane/sitepanefixture.h"

namespace {

const QString kNewFolder = QStringLiteral("新しいフォルダ");

QStringList rowTitles(const AppState& state, int from) {
    QStringList titles;
    for (int i = from; i < state.SiteTable.size(); ++i) {
        titles << state.SiteTable[i].strTitle;
    }
    return titles;
}

}  // namespace

TEST_F(SiteTreeEditorTest, NewFolderFollowsThePlacementRule) {
    struct Case {
        const char* selected;
        const char* shape;
    };
    const Case cases[] = {
        {"R0", "F[a,Sub[b],c,新しいフォルダ],T"},  // a folder: its last child
        {"R5", "F[a,Sub[b],c],T,新しいフォルダ"},  // a top-level site: the top level
        {"R3", "F[a,Sub[b,新しいフォルダ],c],T"},  // a site in a folder: that folder
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.selected);
        loadList(kSampleList);
        env.writeFile(QStringLiteral("rsslist.opml"), "old");
        click(c.selected);

        editor().mnuNewFolder_Click();

        EXPECT_EQ(shape(), QString::fromUtf8(c.shape));
        ASSERT_EQ(view().selectedNode(), node("R6"));
        EXPECT_EQ(state().SiteTable.size(), 7);
        EXPECT_EQ(state().SiteTable[6], (SiteRow{kKindFolder, false, kNewFolder, {}, {}}));
        EXPECT_EQ(panel().intCurrentIndex, 6);
        EXPECT_EQ(panel().txtTitle->text(), kNewFolder);
        EXPECT_FALSE(panel().txtHomepage->isEnabled());
        EXPECT_TRUE(savedList().contains("<outline text=\"新しいフォルダ\">"));
    }
}

TEST_F(SiteTreeEditorTest, NewFolderInAnEmptyTreeTakesRowZeroOrTheNextFreeRow) {
    // No list yet: row 0 of a fresh table.
    editor().mnuNewFolder_Click();
    EXPECT_EQ(keyShape(), QStringLiteral("R0"));
    EXPECT_EQ(state().SiteTable.size(), 1);
    EXPECT_TRUE(state().blnSiteListFlg);

    // Everything deleted: rows are never reused.
    loadList(kSampleList);
    click("R0");
    editor().mnuDelete_Click();
    click("R5");
    editor().mnuDelete_Click();
    ASSERT_EQ(state().siteTree.nodeCount(), 0);
    EXPECT_EQ(panel().intCurrentIndex, -1);
    EXPECT_FALSE(panel().cmdOK->isEnabled());

    editor().mnuNewFolder_Click();
    EXPECT_EQ(keyShape(), QStringLiteral("R6"));
    EXPECT_EQ(panel().intCurrentIndex, 6);
}

TEST_F(SiteTreeEditorTest, NewSiteCopiesThePendingRowAndIsPlacedBySelection) {
    editor().mnuNewRdf_Click();
    EXPECT_EQ(host.dialogsOpened, 1);

    loadList(kSampleList);
    state().ClearNewSiteRow();
    state().NewSiteRow.strTitle = QStringLiteral("New");
    state().NewSiteRow.strXmlUrl = QStringLiteral("new.xml");

    // Shown and selected: inside the folder, which opens to show it.
    click("R2");
    view().collapse(view().indexOf(node("R2")));
    editor().mnuNewRdf_Click_Ret();
    EXPECT_EQ(shape(), QStringLiteral("F[a,Sub[b,New],c],T"));
    EXPECT_EQ(state().SiteTable[6],
              (SiteRow{kKindSite, false, QStringLiteral("New"), {}, QStringLiteral("new.xml")}));
    EXPECT_EQ(node("R6")->image, kImageSite);
    EXPECT_TRUE(view().isNodeExpanded(node("R2")));
    EXPECT_EQ(view().selectedNode(), node("R6"));
    EXPECT_EQ(panel().txtRDFPath->text(), QStringLiteral("new.xml"));
    EXPECT_TRUE(savedList().contains("xmlUrl=\"new.xml\""));

    // Nothing shown in the panel: the top level.
    pane->clearPanel();
    editor().mnuNewRdf_Click_Ret();
    EXPECT_EQ(shape(), QStringLiteral("F[a,Sub[b,New],c],T,New"));
}

TEST_F(SiteTreeEditorTest, CopiedFolderIsPastedDeepLevelByLevelAndAgain) {
    loadList(kSampleList);
    click("R0");
    editor().mnuECopy_Click();
    EXPECT_EQ(editor().intClipMode, 2);
    EXPECT_EQ(editor().intClipNode, 1);
    EXPECT_TRUE(host.pasteEnabled);
    EXPECT_FALSE(view().isNodeCut(node("R0")));

    click("R5");
    editor().mnuEPaste_Click();
    editor().mnuEPaste_Click();

    EXPECT_EQ(shape(), QStringLiteral("F[a,Sub[b],c],T,F[a,Sub[b],c],F[a,Sub[b],c]"));
    // Fresh keys, the source level by level: F, its entries, then the sub-folder's.
    EXPECT_EQ(keyShape(),
              QStringLiteral("R0[R1,R2[R3],R4],R5,R6[R7,R8[R10],R9],R11[R12,R13[R15],R14]"));
    EXPECT_EQ(rowTitles(state(), 6), QString("F a Sub c b F a Sub c b").split(' '));
    for (int copy : {6, 11}) {
        EXPECT_EQ(state().SiteTable[copy + 4], state().SiteTable[3]);  // b
        EXPECT_EQ(state().SiteTable[copy + 1], state().SiteTable[1]);  // a
        EXPECT_EQ(node(qPrintable(keyOfIndex(copy + 2)))->image, kImageFolder);
    }
    EXPECT_EQ(editor().intClipMode, 2);
    EXPECT_TRUE(host.pasteEnabled);
    EXPECT_EQ(view().selectedNode(), node("R5"));
    EXPECT_EQ(savedList().count("<outline text=\"b\""), 3);
}

TEST_F(SiteTreeEditorTest, FolderPastedIntoItsOwnSubtreeIsCopiedOnce) {
    for (const char* target : {"R0", "R1", "R3"}) {
        SCOPED_TRACE(target);
        loadList(kSampleList);
        click("R0");
        editor().mnuECopy_Click();
        click(target);
        editor().mnuEPaste_Click();
        const QString expected = QString::fromLatin1(target) == QLatin1String("R3")
                                     ? QStringLiteral("F[a,Sub[b,F[a,Sub[b],c]],c],T")
                                     : QStringLiteral("F[a,Sub[b],c,F[a,Sub[b],c]],T");
        EXPECT_EQ(shape(), expected);
        EXPECT_EQ(state().SiteTable.size(), 11);
    }
}

TEST_F(SiteTreeEditorTest, CutEntryMovesWithItsKeyAndIsGreyUntilPasted) {
    loadList(kSampleList);
    click("R1");
    editor().mnuETriming_Click();
    EXPECT_TRUE(view().isNodeCut(node("R1")));
    EXPECT_EQ(view().indexOf(node("R1")).data(Qt::ForegroundRole).value<QBrush>().color(),
              view().palette().color(QPalette::Disabled, QPalette::Text));

    // Another cut replaces the first, which goes back to the normal colour.
    click("R5");
    editor().mnuETriming_Click();
    EXPECT_FALSE(view().isNodeCut(node("R1")));
    EXPECT_TRUE(view().isNodeCut(node("R5")));
    EXPECT_EQ(editor().intClipNode, 6);

    click("R2");
    editor().mnuEPaste_Click();
    EXPECT_EQ(keyShape(), QStringLiteral("R0[R1,R2[R3,R5],R4]"));
    EXPECT_EQ(shape(), QStringLiteral("F[a,Sub[b,T],c]"));
    EXPECT_EQ(state().SiteTable.size(), 6);
    EXPECT_FALSE(view().isNodeCut(node("R5")));
    EXPECT_EQ(editor().intClipMode, 0);
    EXPECT_EQ(editor().intClipNode, -1);
    EXPECT_FALSE(host.pasteEnabled);
    EXPECT_EQ(view().selectedNode(), node("R2"));
    EXPECT_TRUE(savedList().contains("   <outline text=\"Sub\">\r\n    <outline text=\"b\""));
}

TEST_F(SiteTreeEditorTest, CutFolderIntoItselfOrBelowIsRefusedAndStaysPending) {
    loadList(kSampleList);
    click("R0");
    editor().mnuETriming_Click();
    for (const char* target : {"R0", "R2", "R3"}) {
        SCOPED_TRACE(target);
        click(target);
        editor().mnuEPaste_Click();
        EXPECT_EQ(keyShape(), QStringLiteral("R0[R1,R2[R3],R4],R5"));
        EXPECT_EQ(editor().intClipMode, 1);
        EXPECT_TRUE(host.pasteEnabled);
        EXPECT_TRUE(view().isNodeCut(node("R0")));
    }
    EXPECT_FALSE(env.exists(QStringLiteral("rsslist.opml")));

    // Still pending: it can go somewhere sound.
    click("R5");
    editor().mnuEPaste_Click();
    EXPECT_EQ(keyShape(), QStringLiteral("R5,R0[R1,R2[R3],R4]"));
}

TEST_F(SiteTreeEditorTest, PasteOfAnEntryThatIsGoneDoesNothing) {
    // Another list loaded after the copy: its R1 is another entry and must not be pasted.
    loadList(kSampleList);
    click("R1");
    editor().mnuECopy_Click();
    loadList(kSampleList);
    EXPECT_EQ(editor().intClipMode, 2);
    click("R5");
    editor().mnuEPaste_Click();
    EXPECT_EQ(keyShape(), QStringLiteral("R0[R1,R2[R3],R4],R5"));
    EXPECT_EQ(editor().intClipMode, 0);
    EXPECT_FALSE(host.pasteEnabled);

    // Removed from the model behind the editor's back.
    click("R3");
    editor().mnuETriming_Click();
    state().siteTree.removeNode(node("R2"));
    click("R5");
    editor().mnuEPaste_Click();
    EXPECT_EQ(keyShape(), QStringLiteral("R0[R1,R4],R5"));
    EXPECT_EQ(editor().intClipMode, 0);
    EXPECT_EQ(state().SiteTable.size(), 6);
}

TEST_F(SiteTreeEditorTest, DeleteOfAFolderAsksThenMarksEveryRowAndSaves) {
    loadList(kSampleList);
    click("R3");
    editor().mnuETriming_Click();
    click("R0");

    env.messageBox.answers = {MsgResult::Cancel};
    editor().mnuDelete_Click();
    ASSERT_EQ(env.messageBox.shown.size(), 1);
    const FakeMessageBox::Shown& asked = env.messageBox.shown.first();
    EXPECT_EQ(asked.text, QStringLiteral("「F」を削除します。\r\nよろしいですか。"));
    EXPECT_EQ(asked.title, QStringLiteral("Quorvane3"));
    EXPECT_EQ(asked.buttons, MsgButtons::OkCancel);
    EXPECT_EQ(asked.icon, MsgIcon::Question);
    EXPECT_EQ(keyShape(), QStringLiteral("R0[R1,R2[R3],R4],R5"));
    EXPECT_EQ(editor().intClipMode, 1);
    EXPECT_FALSE(env.exists(QStringLiteral("rsslist.opml")));

    editor().mnuDelete_Click();
    EXPECT_EQ(keyShape(), QStringLiteral("R5"));
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(state().SiteTable[i].blnDeleted, i != 5) << i;
    }
    EXPECT_EQ(editor().intClipMode, 0);
    EXPECT_FALSE(host.pasteEnabled);
    // The entry that took its place is selected and shown.
    EXPECT_EQ(view().selectedNode(), node("R5"));
    EXPECT_EQ(panel().intCurrentIndex, 5);
    ASSERT_TRUE(waitForFetches(state()));
    EXPECT_EQ(panel().commentText(), QStringLiteral("情報の取得に失敗しました"));
    const QByteArray saved = savedList();
    EXPECT_TRUE(saved.contains("<outline text=\"T\""));
    EXPECT_FALSE(saved.contains("<outline text=\"F\""));
}

TEST_F(SiteTreeEditorTest, DeleteGoesOnOnlyWhenTheEntryAskedAboutIsStillThere) {
    struct Case {
        const char* name;
        std::function<void()> whileAsked;
        const char* shape;  // after the OK
    };
    const Case cases[] = {
        {"nothing changes", [] {}, "R0[R1,R2[R3]],R5"},
        // The same list read again: the same keys, other entries.
        {"the list is replaced", [this] { loadList(kSampleList); }, "R0[R1,R2[R3],R4],R5"},
        {"the entry is gone", [this] { state().siteTree.clear(); }, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        loadList(kSampleList);
        click("R4");
        env.messageBox.holdAnswers = true;
        editor().mnuDelete_Click();
        EXPECT_EQ(keyShape(), QStringLiteral("R0[R1,R2[R3],R4],R5"));  // asked, not done
        c.whileAsked();
        env.messageBox.answerHeld(MsgResult::Ok);
        env.messageBox.holdAnswers = false;
        EXPECT_EQ(keyShape(), QString::fromUtf8(c.shape));
    }
}

TEST_F(SiteTreeEditorTest, DeleteOfTheLastEntryEmptiesThePanelAndEmptyTreeStillSaves) {
    loadList(kSampleList);
    click("R4");
    editor().mnuDelete_Click();  // the last child of F: its previous sibling follows
    EXPECT_EQ(view().selectedNode(), node("R2"));
    click("R1");
    editor().mnuDelete_Click();
    EXPECT_EQ(view().selectedNode(), node("R2"));  // the next sibling
    click("R3");
    editor().mnuDelete_Click();
    EXPECT_EQ(view().selectedNode(), node("R2"));  // no sibling: the parent
    EXPECT_EQ(shape(), QStringLiteral("F[Sub],T"));

    state().siteTree.clear();
    env.messageBox.shown.clear();
    panel().intCurrentIndex = 5;
    editor().mnuDelete_Click();
    EXPECT_TRUE(env.messageBox.shown.isEmpty());
    EXPECT_EQ(panel().intCurrentIndex, -1);
    EXPECT_TRUE(panel().txtTitle->text().isEmpty());
    EXPECT_FALSE(panel().cmdOK->isEnabled());
    EXPECT_TRUE(savedList().contains(" <body>\r\n </body>"));
}

TEST_F(SiteTreeEditorTest, CopyTitleAndUrlReplaceTheSystemClipboard) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    loadList(kSampleList);
    struct Case {
        const char* key;
        void (SiteTreeEditor::*command)();
        QString expected;
    };
    const Case cases[] = {
        {"R0", &SiteTreeEditor::mnuCopyURL_Click, QString()},  // a folder's URL is empty
        {"R5", &SiteTreeEditor::mnuCopyURL_Click, QStringLiteral("http://t.example/")},
        {"R5", &SiteTreeEditor::mnuCopyTitle_Click, QStringLiteral("T")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        clipboard->setText(QStringLiteral("before"));
        click(c.key);
        (editor().*c.command)();
        EXPECT_EQ(clipboard->text(), c.expected);
    }
    // Internal cut and copy leave the system clipboard alone.
    editor().mnuECopy_Click();
    editor().mnuETriming_Click();
    EXPECT_EQ(clipboard->text(), QStringLiteral("T"));
}

TEST_F(SiteTreeEditorTest, FullTableRefusesNewEntriesWithAWarning) {
    loadList(kSampleList);
    click("R0");
    editor().mnuECopy_Click();
    // Room for four more rows: the copied folder needs five.
    ASSERT_TRUE(state().SiteTable.growTo(kMaxSiteRows - 5));
    editor().mnuEPaste_Click();
    EXPECT_EQ(state().SiteTable.size(), kMaxSiteRows - 4);
    EXPECT_EQ(state().siteTree.nodeCount(), 6);

    ASSERT_TRUE(state().SiteTable.growTo(kMaxSiteRows - 1));
    editor().mnuNewFolder_Click();
    state().ClearNewSiteRow();
    editor().mnuNewRdf_Click_Ret();
    EXPECT_EQ(state().SiteTable.size(), kMaxSiteRows);
    EXPECT_EQ(state().siteTree.nodeCount(), 6);
    ASSERT_EQ(env.messageBox.shown.size(), 3);
    for (const FakeMessageBox::Shown& shown : env.messageBox.shown) {
        EXPECT_EQ(shown.text, QStringLiteral("サイト一覧がいっぱいです"));
        EXPECT_EQ(shown.icon, MsgIcon::Warning);
    }
    EXPECT_EQ(view().selectedNode(), node("R0"));
}

// Every edit saves in the background; quick ones in a row end with the last state on disk,
// also when they come while a write is under way (and so wait together).
TEST_F(SiteTreeEditorTest, QuickEditsEndWithTheLastStateOnDisk) {
    loadList(kSampleList);
    click("R0");
    state().siteListSaver.save(env.path(QStringLiteral("busy")), QByteArray(32 << 20, 'x'));
    for (int i = 0; i < 40; ++i) {
        editor().mnuNewFolder_Click();  // each one inside the one before
    }
    click("R5");
    editor().mnuDelete_Click();
    const QByteArray saved = savedList();
    EXPECT_EQ(saved.count("<outline text=\"新しいフォルダ\">"), 40);
    EXPECT_FALSE(saved.contains("<outline text=\"T\""));
}
