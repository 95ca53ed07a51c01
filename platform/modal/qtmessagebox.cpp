#include "platform/modal/qtmessagebox.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <algorithm>

#include "platform/modal/boxplacement.h"

namespace {

QMessageBox::Icon toQtIcon(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::Question:
            return QMessageBox::Question;
        case MsgIcon::Warning:
            return QMessageBox::Warning;
        case MsgIcon::Information:
            return QMessageBox::Information;
        case MsgIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// Widest a line may make the box's text before it is broken, as a part of the screen's width
// and in pixels: within it the toolkit never breaks the line itself.
constexpr int kWidestLineScreenDivisor = 2;
constexpr int kWidestLinePixels = 880;

// The toolkit breaks a box's text at a width of its own, wherever that falls (inside a word of
// a Japanese sentence, say). The text grows the box to its longest line instead, as far as
// the screen allows; only a line longer than that is broken.
void fitLongestLine(QMessageBox& box) {
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    const QScreen* screen = box.screen() ? box.screen() : QGuiApplication::primaryScreen();
    if (!label || !screen) {
        return;
    }
    const QFontMetrics metrics(label->font());
    int longest = 0;
    for (const QString& line : box.text().split(QLatin1Char('\n'))) {
        longest = std::max(longest, metrics.horizontalAdvance(line));
    }
    const int widest =
        std::min(screen->availableGeometry().width() / kWidestLineScreenDivisor, kWidestLinePixels);
    label->setMinimumWidth(std::min(longest + 1, widest));
}

}  // namespace

void QtMessageBox::ask(const QString& text, const QString& title, MsgButtons buttons, MsgIcon icon,
                       Answered answered) {
    const QMessageBox::StandardButtons standard =
        buttons == MsgButtons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel
                                        : QMessageBox::StandardButtons(QMessageBox::Ok);
    // Lines end in LF on the screen; the callers' texts may end them in CR LF.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    auto* box = new QMessageBox(toQtIcon(icon), title, shown, standard, boxOwner(home));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    box->setDefaultButton(QMessageBox::Ok);
    box->setEscapeButton(buttons == MsgButtons::OkCancel ? QMessageBox::Cancel : QMessageBox::Ok);
    if (answered) {
        // Esc and the close button click the escape button, so every answer comes this way.
        QObject::connect(box, &QMessageBox::buttonClicked, box,
                         [box, answered = std::move(answered)](QAbstractButton* button) {
                             answered(box->standardButton(button) == QMessageBox::Ok
                                          ? MsgResult::Ok
                                          : MsgResult::Cancel);
                         });
    }
    stackAboveProgramWindows(*box);
    fitLongestLine(*box);
    box->show();
}
