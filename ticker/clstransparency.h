#pragma once

#include <QPointer>
#include <QWidget>

class MessageBoxSeam;

// Gives one top-level window a constant opacity. The opacity is a percentage, 10 to 100;
// anything else is refused with a message and changes nothing.
class clsTransparency {
public:
    // titleText: the message-box title, the executable's base name.
    clsTransparency(MessageBoxSeam& messageBox, const QString& titleText);

    // The window to act on. Must be set before Opacity.
    void WndHandle(QWidget* window);
    // Validates, stores and applies a percentage.
    void Opacity(int vNewValue);

    // Alpha byte for a percentage: v × 255 / 100 rounded to the nearest, halves to even.
    [[nodiscard]] static int alphaForPercent(int percent);
    // Last accepted percentage; 0 before any.
    [[nodiscard]] int opacity() const { return storedOpacity; }
    // Last alpha applied to the window; -1 before any.
    [[nodiscard]] int appliedAlpha() const { return lastAlpha; }

private:
    void ApplyOpacity(int percent);

    MessageBoxSeam& messageBox;
    QString title;
    QPointer<QWidget> handle;
    int storedOpacity = 0;
    int lastAlpha = -1;
};
