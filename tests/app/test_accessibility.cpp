#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleInterface>
#include <QApplication>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSet>
#include <QStatusBar>
#include <QWidget>

#include "tests/app/windowtour.h"

namespace {

// Roles of what a user operates or reads as a control: each needs a name a screen reader
// can say, a label too while it is empty.
const QSet<QAccessible::Role> kControlRoles = {
    QAccessible::Button,     QAccessible::CheckBox,       QAccessible::RadioButton,
    QAccessible::ComboBox,   QAccessible::EditableText,   QAccessible::SpinBox,
    QAccessible::Slider,     QAccessible::List,           QAccessible::Tree,
    QAccessible::Table,      QAccessible::MenuItem,       QAccessible::PageTab,
    QAccessible::Link,       QAccessible::StatusBar,      QAccessible::ProgressBar,
    QAccessible::ButtonMenu, QAccessible::ButtonDropDown, QAccessible::StaticText};

// Roles a clickable widget may have; a widget with a clicked() signal that reports another
// (a label that acts as a button) cannot be found or pressed by a screen reader.
const QSet<QAccessible::Role> kPressableRoles = {
    QAccessible::Button, QAccessible::CheckBox,   QAccessible::RadioButton,   QAccessible::MenuItem,
    QAccessible::Link,   QAccessible::ButtonMenu, QAccessible::ButtonDropDown};

QString describe(QAccessibleInterface* node) {
    const QObject* object = node->object();
    QString name = object ? object->objectName() : QString();
    if (name.isEmpty() && object) {
        name = QString::fromLatin1(object->metaObject()->className());
    }
    return QStringLiteral("%1 (role %2)").arg(name).arg(int(node->role()), 0, 16);
}

// Every control under node that a screen reader would find without a name. Hidden parts
// are skipped; a menu's items are walked while the menu is closed.
void collectUnnamed(QAccessibleInterface* node, const QString& path, bool walkHidden,
                    QStringList& unnamed) {
    if (!node || !node->isValid() || node->role() == QAccessible::Separator) {
        return;
    }
    if (node->state().invisible && !walkHidden) {
        return;
    }
    const QString here = path + QLatin1Char('/') + describe(node);
    if (kControlRoles.contains(node->role()) && node->text(QAccessible::Name).trimmed().isEmpty()) {
        unnamed.append(here);
    }
    for (int i = 0; i < node->childCount(); ++i) {
        collectUnnamed(node->child(i), here, walkHidden, unnamed);
    }
}

// Widgets that take clicks but are not exposed as something that can be pressed.
QStringList unpressable(QWidget* window) {
    QStringList found;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        const QMetaObject* meta = widget->metaObject();
        // A group box is clicked only when it has a check box of its own.
        auto* group = qobject_cast<QGroupBox*>(widget);
        if (meta->indexOfSignal("clicked()") < 0 || !widget->isVisible() ||
            (group && !group->isCheckable())) {
            continue;
        }
        QAccessibleInterface* node = QAccessible::queryAccessibleInterface(widget);
        if (!node || !kPressableRoles.contains(node->role())) {
            found.append(widget->objectName() + QLatin1Char('<') +
                         QString::fromLatin1(meta->className()) + QLatin1Char('>'));
        }
    }
    return found;
}

class AccessibilityTest : public WindowTourTest {};

TEST_F(AccessibilityTest, EveryControlOfEveryWindowHasANameAndARole) {
    for (const Window& w : tour()) {
        SCOPED_TRACE(w.name);
        QWidget* window = w.open();
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(window->isVisible());
        QStringList unnamed;
        QAccessibleInterface* root = QAccessible::queryAccessibleInterface(window);
        ASSERT_NE(root, nullptr);
        EXPECT_FALSE(root->text(QAccessible::Name).isEmpty()) << "the window has no name";
        collectUnnamed(root, QString(), false, unnamed);
        for (QMenu* menu : window->findChildren<QMenu*>()) {
            collectUnnamed(QAccessible::queryAccessibleInterface(menu), menu->objectName(), true,
                           unnamed);
        }
        EXPECT_TRUE(unnamed.isEmpty()) << "unnamed:\n"
                                       << unnamed.join(QLatin1Char('\n')).toStdString();
        const QStringList wrongRole = unpressable(window);
        EXPECT_TRUE(wrongRole.isEmpty()) << "not pressable:\n"
                                         << wrongRole.join(QLatin1Char('\n')).toStdString();
        if (qobject_cast<QMessageBox*>(window)) {
            // Application-modal: left open it would take the keys of the tests after this one.
            window->close();
        }
    }
}

}  // namespace
