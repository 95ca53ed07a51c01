#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRect>
#include <QSet>
#include <QTreeWidget>
#include <QWidget>
#include <algorithm>
#include <string_view>

#include "tests/app/windowtour.h"

namespace {

// The control the user sees focused: a spin box rather than the line edit inside it.
QWidget* owner(QWidget* focused, QWidget* window) {
    QWidget* found = focused;
    for (QWidget* up = focused ? focused->parentWidget() : nullptr; up && up != window;
         up = up->parentWidget()) {
        QWidget* proxy = up->focusProxy();
        while (proxy && proxy->focusProxy()) {
            proxy = proxy->focusProxy();
        }
        if (proxy == focused) {
            found = up;
        }
    }
    return found;
}

// Of radio buttons that exclude each other Tab reaches the checked one; the arrows move
// among them.
bool skippedRadio(const QWidget* w) {
    const auto* radio = qobject_cast<const QRadioButton*>(w);
    if (!radio || !radio->autoExclusive() || radio->isChecked()) {
        return false;
    }
    const auto siblings =
        radio->parentWidget()->findChildren<QRadioButton*>(QString(), Qt::FindDirectChildrenOnly);
    return std::any_of(siblings.begin(), siblings.end(), [](const QRadioButton* other) {
        return other->autoExclusive() && other->isChecked();
    });
}

// Every control that Tab should reach, in no particular order.
QList<QWidget*> tabStops(QWidget* window) {
    QList<QWidget*> stops;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) &&
            !w->focusProxy() && !skippedRadio(w)) {
            QWidget* shown = owner(w, window);
            if (!stops.contains(shown)) {
                stops.append(shown);
            }
        }
    }
    return stops;
}

QString nameOf(const QWidget* w) {
    if (!w) {
        return QStringLiteral("(nothing)");
    }
    QString name = w->objectName();
    if (const auto* button = qobject_cast<const QAbstractButton*>(w); name.isEmpty() && button) {
        name = button->text();
    }
    return name + QLatin1Char('<') + QString::fromLatin1(w->metaObject()->className()) +
           QLatin1Char('>');
}

// The buttons that end a dialog come after everything they end.
bool closesTheDialog(const QWidget* w) {
    static const QSet<QString> kNames = {QStringLiteral("cmdOK"), QStringLiteral("cmdCancel"),
                                         QStringLiteral("cmdClose")};
    return kNames.contains(w->objectName()) ||
           (w->parentWidget() && qobject_cast<QDialogButtonBox*>(w->parentWidget()));
}

// Whether b may follow a when reading top to bottom, then left to right within a row, or
// column by column: a control right of a may start higher up. A row is what overlaps
// vertically; a few pixels of slack allow for uneven baselines.
bool readsAfter(const QRect& a, const QRect& b) {
    constexpr int kSlack = 6;
    if (b.left() >= a.right() - kSlack) {
        return true;
    }
    const bool sameRow = b.top() < a.bottom() - kSlack && a.top() < b.bottom() - kSlack;
    if (sameRow) {
        return b.left() >= a.left() - kSlack || b.top() > a.top() + kSlack;
    }
    return b.top() >= a.top() - kSlack;
}

QRect globalRect(const QWidget* w) {
    return QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
}

void press(QWidget* window, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window;
    QKeyEvent down(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(target, &down);
    QKeyEvent up(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(QApplication::focusWidget() ? QApplication::focusWidget() : window,
                            &up);
}

// Problems of the Tab chain of a window, each naming the control.
QStringList tabChainFaults(QWidget* window) {
    QStringList faults;
    const QList<QWidget*> stops = tabStops(window);
    if (stops.isEmpty()) {
        return faults;  // still loading: nothing to walk yet
    }
    // Start where Tab starts: the first control of the chain.
    QWidget* first = window->nextInFocusChain();
    while (first != window && !stops.contains(owner(first, window))) {
        first = first->nextInFocusChain();
    }
    first = owner(first, window);
    first->setFocus(Qt::TabFocusReason);
    QList<QWidget*> forward{owner(QApplication::focusWidget(), window)};
    for (qsizetype i = 1; i < stops.size(); ++i) {
        press(window, Qt::Key_Tab);
        forward.append(owner(QApplication::focusWidget(), window));
    }
    press(window, Qt::Key_Tab);
    if (owner(QApplication::focusWidget(), window) != forward.front()) {
        faults.append(
            QStringLiteral("Tab does not come back to %1 but goes to %2")
                .arg(nameOf(forward.front()), nameOf(owner(QApplication::focusWidget(), window))));
    }
    for (QWidget* stop : stops) {
        const auto times = std::count(forward.begin(), forward.end(), stop);
        if (times != 1) {
            faults.append(QStringLiteral("Tab reaches %1 %2 times").arg(nameOf(stop)).arg(times));
        }
    }
    bool closing = false;
    for (qsizetype i = 0; i < forward.size(); ++i) {
        QWidget* now = forward[i];
        if (!now) {
            continue;
        }
        if (closesTheDialog(now)) {
            closing = true;
        } else if (closing) {
            faults.append(QStringLiteral("%1 comes after the closing buttons").arg(nameOf(now)));
        } else if (i > 0 && forward[i - 1] &&
                   !readsAfter(globalRect(forward[i - 1]), globalRect(now))) {
            faults.append(QStringLiteral("%1 comes after %2 but reads before it")
                              .arg(nameOf(now), nameOf(forward[i - 1])));
        }
    }
    // Shift+Tab walks the same way back.
    QList<QWidget*> back{owner(QApplication::focusWidget(), window)};
    for (qsizetype i = 1; i < stops.size(); ++i) {
        press(window, Qt::Key_Backtab, Qt::ShiftModifier);
        back.append(owner(QApplication::focusWidget(), window));
    }
    std::reverse(back.begin() + 1, back.end());
    if (back != forward) {
        QStringList names;
        for (QWidget* w : back) {
            names.append(nameOf(w));
        }
        faults.append(QStringLiteral("Shift+Tab goes another way: ") +
                      names.join(QStringLiteral(", ")));
    }
    return faults;
}

class KeyboardTest : public WindowTourTest {
protected:
    QByteArray storedFiles() {
        return env.readFile(QStringLiteral("config.ini")) + '\n' +
               env.readFile(QStringLiteral("rsslist.opml"));
    }
};

TEST_F(KeyboardTest, EveryDialogWorksWithTabShiftTabEnterAndEsc) {
    for (const Window& w : tour()) {
        SCOPED_TRACE(w.name);
        QWidget* window = w.open();
        ASSERT_NE(window, nullptr);
        if (!w.dialog) {
            continue;  // open only for what opens from them
        }
        ASSERT_TRUE(window->isVisible());
        QApplication::setActiveWindow(window);

        const QStringList faults = tabChainFaults(window);
        EXPECT_TRUE(faults.isEmpty()) << w.name << ":\n"
                                      << faults.join(QLatin1Char('\n')).toStdString();

        // Esc leaves without applying anything.
        const QByteArray before = storedFiles();
        press(window, Qt::Key_Escape);
        EXPECT_FALSE(window->isVisible()) << w.name << ": Esc does not close it";
        EXPECT_EQ(storedFiles(), before) << w.name << ": Esc applied something";
        window->close();

        // Enter in a field presses the default button. The article list is no dialog: Enter
        // there opens the article, which its own tests check.
        window = w.open();
        ASSERT_NE(window, nullptr);
        if (!qobject_cast<QDialog*>(window)) {
            window->close();
            continue;
        }
        QApplication::setActiveWindow(window);
        QPushButton* defaultButton = nullptr;
        for (QPushButton* button : window->findChildren<QPushButton*>()) {
            if (button->isDefault() && button->isVisible()) {
                defaultButton = button;
            }
        }
        QWidget* field = window->findChild<QLineEdit*>();
        if (!field || !field->isVisible()) {
            field = tabStops(window).value(0);
        }
        if (std::string_view(w.name) == "display rules") {
            // No default button: Enter in a field adds the rule the fields make.
            auto* pattern = window->findChild<QLineEdit*>(QStringLiteral("txtPattern"));
            auto* rules = window->findChild<QTreeWidget*>(QStringLiteral("lstRules"));
            ASSERT_TRUE(pattern && rules);
            const int rows = rules->topLevelItemCount();
            const qsizetype boxes = env.messageBox.shown.size();
            pattern->setText(QStringLiteral("速報"));
            pattern->setFocus(Qt::TabFocusReason);
            ASSERT_EQ(QApplication::focusWidget(), pattern);
            press(window, Qt::Key_Return);
            EXPECT_TRUE(waitForRules(env.state().rulesStore()));
            EXPECT_EQ(rules->topLevelItemCount(), rows + 1)
                << "Enter in the pattern does not add the rule";
            EXPECT_EQ(env.messageBox.shown.size(), boxes);
        } else if (defaultButton && field) {
            int presses = 0;
            const QMetaObject::Connection counting = QObject::connect(
                defaultButton, &QPushButton::clicked, window, [&presses] { ++presses; });
            field->setFocus(Qt::TabFocusReason);
            press(window, Qt::Key_Return);
            QObject::disconnect(counting);
            EXPECT_EQ(presses, 1) << w.name << ": Enter in " << nameOf(field).toStdString()
                                  << " does not press " << nameOf(defaultButton).toStdString();
        } else {
            ADD_FAILURE() << w.name << ": no default button for Enter";
        }
        window->close();
    }
}

}  // namespace
