#include <memory>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "platform/qtfiledialogs.h"
#include "platform/qtmessagebox.h"
#include "platform/qstringprinter.h"

namespace {

// What a message box showed, noted from inside its event loop.
struct BoxAnswer {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttonCount = 0;
    bool okIsDefault = false;
};

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
        // Answered by key from inside the box's own event loop.
        auto seen = std::make_shared<BoxAnswer>();
        QTimer::singleShot(0, qApp, [seen, key = c.key] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            seen->title = box->windowTitle();
            seen->text = box->text();
            seen->icon = box->icon();
            seen->buttonCount = static_cast<int>(box->buttons().size());
            seen->okIsDefault = box->defaultButton() == box->button(QMessageBox::Ok);
            QTest::keyClick(box, static_cast<Qt::Key>(key));
        });
        const MsgResult result = seam.show(QStringLiteral(u"サイトを削除しますか？"),
                                           QStringLiteral("Quorvane3"), c.buttons, c.icon);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(seen->title, QStringLiteral("Quorvane3"));
        EXPECT_EQ(seen->text, QStringLiteral(u"サイトを削除しますか？"));
        EXPECT_EQ(seen->icon, c.qtIcon);
        EXPECT_EQ(seen->buttonCount, c.buttonCount);
        EXPECT_TRUE(seen->okIsDefault);
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
        auto shown = std::make_shared<QStringList>();
        QTimer::singleShot(0, qApp, [shown] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            const auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            ASSERT_NE(types, nullptr);
            for (int i = 0; i < types->count(); ++i) {
                shown->append(types->itemText(i));
            }
            dialog->reject();
        });
        const QString chosen =
            save ? seam.saveFileName(nullptr, filter) : seam.openFileName(nullptr, filter);
        EXPECT_TRUE(chosen.isEmpty());
        EXPECT_EQ(*shown, names);
    }
}

}  // namespace
