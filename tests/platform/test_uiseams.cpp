#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>
#include <optional>
#include <string>

#include "platform/modal/qtfiledialogs.h"
#include "platform/modal/qtmessagebox.h"
#include "tests/platform/qstringprinter.h"

namespace {

TEST(QtMessageBoxSeam, ShowsWhatItIsGivenAndMapsTheAnswer) {
    QtMessageBox seam;
    struct Case {
        MsgButtons buttons;
        MsgIcon icon;
        int key;
        QMessageBox::Icon qtIcon;
        int buttonCount;
        MsgResult result;
    };
    const Case cases[] = {
        {MsgButtons::OkCancel, MsgIcon::Question, Qt::Key_Escape, QMessageBox::Question, 2,
         MsgResult::Cancel},
        {MsgButtons::OkCancel, MsgIcon::Question, Qt::Key_Return, QMessageBox::Question, 2,
         MsgResult::Ok},
        {MsgButtons::Ok, MsgIcon::Warning, Qt::Key_Return, QMessageBox::Warning, 1, MsgResult::Ok},
        {MsgButtons::Ok, MsgIcon::Information, Qt::Key_Escape, QMessageBox::Information, 1,
         MsgResult::Ok},
        {MsgButtons::Ok, MsgIcon::None, Qt::Key_Return, QMessageBox::NoIcon, 1, MsgResult::Ok},
    };
    for (const Case& c : cases) {
        // The box is up when ask returns, with no answer yet: nothing waits in a loop of its
        // own. The key answers it later.
        std::optional<MsgResult> result;
        seam.ask(QStringLiteral(u"サイトを削除しますか？"), QStringLiteral("Quorvane3"), c.buttons,
                 c.icon, [&result](MsgResult answer) { result = answer; });
        EXPECT_FALSE(result.has_value());
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Quorvane3"));
        EXPECT_EQ(box->text(), QStringLiteral(u"サイトを削除しますか？"));
        EXPECT_EQ(box->icon(), c.qtIcon);
        EXPECT_EQ(box->buttons().size(), c.buttonCount);
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Ok));
        QTest::keyClick(box, static_cast<Qt::Key>(c.key));
        EXPECT_EQ(result, c.result);
        QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
    }
}

TEST(QtFileDialogsSeam, ShowsEachFiltersNameOnceAndCancelsToAnEmptyName) {
    // Names that carry their patterns, each followed by the patterns the dialog filters by.
    const QString filter =
        QStringLiteral(u"リスト(*.opml, *.xml) (*.opml *.xml);;All files(*.*) (*)");
    const QStringList names = {QStringLiteral(u"リスト(*.opml, *.xml)"),
                               QStringLiteral("All files(*.*)")};
    QtFileDialogs seam;
    for (bool save : {false, true}) {
        SCOPED_TRACE(save ? "save" : "open");
        std::optional<QString> chosen;
        const auto answer = [&chosen](const QString& name) { chosen = name; };
        if (save) {
            seam.saveFileName(nullptr, filter, answer);
        } else {
            seam.openFileName(nullptr, filter, answer);
        }
        EXPECT_FALSE(chosen.has_value());
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        const auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_NE(types, nullptr);
        QStringList shown;
        for (int i = 0; i < types->count(); ++i) {
            shown.append(types->itemText(i));
        }
        EXPECT_EQ(shown, names);
        dialog->reject();
        EXPECT_EQ(chosen, std::optional<QString>(QString()));
        QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
    }
}

// A box is modal to the whole program: one that opened under a window that stays on top
// (the new-site dialog) would take every key unseen. Each opens over the main window while it
// is shown, else over the window the user works in, and above every window of the program.
TEST(BoxPlacement, BoxesOpenOverTheMainWindowAboveEveryWindowOfTheProgram) {
    QWidget home;
    // Both far enough from the screen's edges for a box centred over them to stay whole.
    home.setGeometry(100, 80, 600, 440);
    QDialog onTop(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint);
    onTop.setGeometry(300, 250, 200, 100);
    QtMessageBox boxes;
    boxes.setHomeWindow(&home);
    QtFileDialogs fileDialogs;

    struct Case {
        const char* name;
        bool homeShown;
        bool onTopShown;
        QWidget* owner;
        bool above;
    };
    // The dialog alone comes first: the offscreen platform activates a window that is shown
    // again only once.
    const Case cases[] = {
        {"the new-site dialog alone", false, true, &onTop, true},
        {"main window with the new-site dialog over it", true, true, &home, true},
        {"main window alone", true, false, &home, false},
        {"no window", false, false, nullptr, false},
    };
    for (const Case& c : cases) {
        home.setVisible(c.homeShown);
        onTop.setVisible(c.onTopShown);
        for (const bool fileDialog : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (fileDialog ? ", file dialog" : ", message box"));
            // The user works in the dialog.
            if (c.onTopShown) {
                onTop.activateWindow();
                ASSERT_TRUE(QTest::qWaitForWindowActive(&onTop));
            } else if (!c.homeShown) {
                QTRY_VERIFY(QApplication::activeWindow() == nullptr);
                ASSERT_EQ(QApplication::activeWindow(), nullptr);
            }
            if (fileDialog) {
                fileDialogs.openFileName(&home, QStringLiteral("All (*)"), [](const QString&) {});
            } else {
                boxes.show(QStringLiteral("text"), QStringLiteral("Quorvane3"), MsgButtons::Ok,
                           MsgIcon::Warning);
            }
            auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->parentWidget(), c.owner);
            EXPECT_EQ(box->windowFlags().testFlag(Qt::WindowStaysOnTopHint), c.above);
            // Transient for no window of ours, as the parentless dialogs are: a window
            // manager would keep it just above its owner, under such a dialog.
            ASSERT_NE(box->windowHandle(), nullptr);
            EXPECT_EQ(box->windowHandle()->transientParent(), nullptr);
            if (c.owner) {
                const QPoint offCentre =
                    box->frameGeometry().center() - c.owner->frameGeometry().center();
                EXPECT_LE(offCentre.manhattanLength(), 2);
            }
            box->reject();
            QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
        }
    }
}

}  // namespace
