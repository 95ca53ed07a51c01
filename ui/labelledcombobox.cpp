#include "ui/labelledcombobox.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QLineEdit>

namespace {

// What Qt's combo box interface offers a screen reader (the value, the list as the one child,
// opening and closing the list), with the name a control's label gives.
class LabelledComboAccessible final : public QAccessibleWidget {
public:
    explicit LabelledComboAccessible(QComboBox* box)
        : QAccessibleWidget(box, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) {
            return box()->isEditable() ? box()->lineEdit()->text() : box()->currentText();
        }
        // The name: the accessible name, else the text of the label whose buddy this is.
        return QAccessibleWidget::text(t);
    }

    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 ? QAccessible::queryAccessibleInterface(box()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child != nullptr && child->object() == box()->view() ? 0 : -1;
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.expanded = box()->view()->isVisible();
        s.collapsed = !s.expanded;
        s.editable = box()->isEditable();
        return s;
    }

    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
    void doAction(const QString& action) override {
        if (action == showMenuAction() || action == pressAction()) {
            if (box()->view()->isVisible()) {
                box()->hidePopup();
            } else {
                box()->showPopup();
            }
        }
    }

private:
    [[nodiscard]] QComboBox* box() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* labelledComboFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("LabelledComboBox") && object != nullptr &&
        object->isWidgetType()) {
        return new LabelledComboAccessible(static_cast<QComboBox*>(object));
    }
    return nullptr;
}

}  // namespace

LabelledComboBox::LabelledComboBox(QWidget* parent) : QComboBox(parent) {
    // Installing it again is harmless: Qt keeps a factory once.
    QAccessible::installFactory(labelledComboFactory);
}
