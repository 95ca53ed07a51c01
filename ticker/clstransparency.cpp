#include "ticker/clstransparency.h"

#include <QCoreApplication>

#include "platform/modal/messagebox.h"

clsTransparency::clsTransparency(MessageBoxSeam& messageBoxSeam, const QString& titleText)
    : messageBox(messageBoxSeam), title(titleText) {}

void clsTransparency::WndHandle(QWidget* window) {
    handle = window;
}

void clsTransparency::Opacity(int vNewValue) {
    if (vNewValue < 10 || vNewValue > 100) {
        messageBox.show(QCoreApplication::translate(
                            "clsTransparency", "透明度は、10％～100％の間で指定してください。"),
                        title, MsgButtons::Ok, MsgIcon::None);
        return;
    }
    storedOpacity = vNewValue;
    ApplyOpacity(vNewValue);
}

int clsTransparency::alphaForPercent(int percent) {
    // Exact in integers: the quotient and remainder of v × 255 by 100.
    const int scaled = percent * 255;
    int alpha = scaled / 100;
    const int remainder = scaled % 100;
    if (remainder > 50 || (remainder == 50 && alpha % 2 != 0)) {
        ++alpha;
    }
    return alpha;
}

void clsTransparency::ApplyOpacity(int percent) {
    if (handle.isNull()) {
        return;
    }
    const int alpha = alphaForPercent(percent);
    handle->setWindowOpacity(alpha / 255.0);
    lastAlpha = alpha;
}
