#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>

#include "platform/qtfiledialogs.h"
#include "platform/qtmessagebox.h"
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

}  // namespace
