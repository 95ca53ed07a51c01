#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// An up-down spinner bound to the text box beside it. The box stays a plain text box (it
// may hold letters until its dialog cleans it up on OK); a click on an arrow, or the Up
// and Down keys in the box, put the box's number one step up or down, held between the
// bounds. A box without a number steps from the spinner's last value.
class UpDown : public QWidget {
    Q_OBJECT
public:
    UpDown(QLineEdit* buddy, int minimum, int maximum, int increment, QWidget* parent);

    [[nodiscard]] int minimum() const { return minValue; }
    [[nodiscard]] int maximum() const { return maxValue; }
    [[nodiscard]] int increment() const { return step; }
    [[nodiscard]] int value() const { return lastValue; }
    void setMaximum(int maximum);
    // The value a box without a number steps from; the dialogs set it as they fill the box.
    void setValue(int value);
    // Moves the box's number by steps × increment (negative: down) and writes it back.
    void stepBy(int steps);

    QToolButton* upButton = nullptr;
    QToolButton* downButton = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* buddy;
    int minValue;
    int maxValue;
    int step;
    int lastValue;
};
