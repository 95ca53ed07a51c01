#include "app/frmabout.h"

#include <QApplication>
#include <QFontInfo>
#include <QIcon>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>

#include "core/version.h"
#include "platform/desktop/screeninfo.h"
#include "ui/textwrap.h"
#include "ui/twipslayout.h"
#include "ui/uifont.h"

namespace {

constexpr int kWidthTwips = 6150;
constexpr int kHeightTwips = 4770;

// Rules closer than this to the window's lightness (0 to 255) cannot be told from it.
constexpr int kMinRuleContrast = 40;

// A one-pixel rule; two of them, shadow over highlight, make an etched line.
QWidget* rule(const char* name, QWidget* parent) {
    auto* line = new QWidget(parent);
    line->setObjectName(QLatin1String(name));
    line->setAutoFillBackground(true);
    return line;
}

void setRuleColor(QWidget* line, const QColor& color) {
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, color);
    line->setPalette(palette);
}

}  // namespace

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    // The caption the window carries before its first load.
    setWindowTitle(tr("バージョン情報"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/app-32.png")));
    setModal(false);
    setFont(uiFont());
    buildWidgets();
    setFixedSize(twipsToPixels(kWidthTwips), twipsToPixels(kHeightTwips));
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
}

void frmAbout::buildWidgets() {
    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setPixmap(QPixmap(QStringLiteral(":/icons/app-32.png")));
    picIcon->setAlignment(Qt::AlignCenter);
    placeTwips(picIcon, 240, 240, 540, 540);

    lblTitle = new QLabel(this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = font();
    titleFont.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                           QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans CJK JP")});
    titleFont.setStyleHint(QFont::SansSerif);
    titleFont.setPointSize(16);
    lblTitle->setFont(titleFont);
    placeTwips(lblTitle, 1050, 210, 4860, 510);

    lblVersion = new QLabel(this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    placeTwips(lblVersion, 1050, 780, 4860, 480);

    lblDescription = new QPlainTextEdit(this);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    lblDescription->setReadOnly(true);
    lblDescription->setAccessibleName(tr("説明"));
    lblDescription->setFrameShape(QFrame::NoFrame);
    wrapWithinVisibleWidth(lblDescription);
    // Lines up with the labels above it.
    lblDescription->document()->setDocumentMargin(0);
    // Reads like the form's text, not like an input box.
    QPalette descriptionPalette = lblDescription->palette();
    descriptionPalette.setColor(QPalette::Base, palette().color(QPalette::Window));
    lblDescription->setPalette(descriptionPalette);
    placeTwips(lblDescription, 1050, 1380, 4860, 2520);

    line1 = rule("line1", this);
    placeTwips(line1, 120, 4005, 5910, 15);
    line2 = rule("line2", this);
    placeTwips(line2, 120, 4020, 5910, 15);
    colorRules();

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    placeTwips(cmdOK, 4830, 4200, 1080, 375);
}

void frmAbout::colorRules() {
    // Mid grey over white. On a window too light for a white rule to show, the highlight
    // takes the tone half way between the window and the shadow: still two rules.
    const QColor window = palette().color(QPalette::Window);
    const QColor shadow(128, 128, 128);
    QColor highlight(255, 255, 255);
    if (highlight.lightness() - window.lightness() < kMinRuleContrast) {
        highlight = QColor((window.red() + shadow.red()) / 2, (window.green() + shadow.green()) / 2,
                           (window.blue() + shadow.blue()) / 2);
    }
    setRuleColor(line1, shadow);
    setRuleColor(line2, highlight);
}

void frmAbout::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && line1 != nullptr) {
        colorRules();
    }
}

void frmAbout::Form_Load() {
    const QString title = QLatin1String(kApplicationTitle);
    setWindowTitle(tr("%1のバージョン情報").arg(title));
    lblVersion->setText(tr("バージョン %1").arg(versionText()) + QStringLiteral("\r\n") +
                        QLatin1String(kLegalCopyright));
    lblTitle->setText(title);
    lblDescription->setPlainText(applicationComments());
    cmdOK->setFocus();
}

void frmAbout::cmdOK_Click() {
    close();
}
