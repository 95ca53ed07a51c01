#pragma once

#include <QObject>
#include <QPoint>
#include <QString>

class QIcon;

// The notification-area (tray) icon. The program needs only two gestures from it: a left
// double-click and a right press; an implementation reports them as signals. A desktop's
// notification area may also come and go while the program runs (its shell restarts):
// availabilityChanged tells.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // False when the desktop has no notification area to put the icon in.
    [[nodiscard]] virtual bool isSystemTrayAvailable() const = 0;
    // Puts the icon up; a second call only updates the image and the tool tip.
    virtual void add(const QIcon& icon, const QString& toolTip) = 0;
    // Takes the icon down; nothing happens when it is not up.
    virtual void remove() = 0;
    [[nodiscard]] virtual bool isAdded() const = 0;

Q_SIGNALS:
    void doubleClicked();
    // globalPos: where the pointer was, for a pop-up menu.
    void rightPressed(const QPoint& globalPos);
    // The notification area may have appeared or gone; available: whether there is one now.
    // It may come when nothing changed, so a receiver compares with what it knew.
    void availabilityChanged(bool available);
};
