#pragma once

#include <QComboBox>

// A combo box that a screen reader names by its label (the buddy of a QLabel, or its
// accessible name) and whose value is the entry chosen. Qt's own names a combo box by its
// value on Linux, so that "表示位置" is read as just "右上".
class LabelledComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit LabelledComboBox(QWidget* parent = nullptr);
};
