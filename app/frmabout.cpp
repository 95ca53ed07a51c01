#include "app/frmabout.h"

#include <QApplication>
#include <QFontInfo>
#include <QIcon>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>

#include "core/version.h"
#include "platform/screeninfo.h"
#include "ui/twipslayout.h"
#include "ui/uifont.h"

namespace {

constexpr int kWidthTwips = 6150;
constexpr int kHeightTwips = 4770;

// A one-pixel rule; two of them, dark over light, make an etched line.
QWidget* rule(const char* name, const QColor& color, QWidget* parent) {
    auto* line = new QWidget(parent);
    line->setObjectName(QLatin1String(name));
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, color);
    line->setPalette(palette);
    return line;
}

}  // namespace

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    // The caption the window carries before its first load.
    setWindowTitle(QStringLiteral("バージョン情報"));
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
    lblDescription->setFrameShape(QFrame::NoFrame);
    lblDescription->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Lines up with the labels above it.
    lblDescription->document()->setDocumentMargin(0);
    lblDescription->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Reads like the form's text, not like an input box.
    QPalette descriptionPalette = lblDescription->palette();
    descriptionPalette.setColor(QPalette::Base, palette().color(QPalette::Window));
    lblDescription->setPalette(descriptionPalette);
    placeTwips(lblDescription, 1050, 1380, 4860, 2520);

    line1 = rule("line1", QColor(128, 128, 128), this);
    placeTwips(line1, 120, 4005, 5910, 15);
    line2 = rule("line2", QColor(255, 255, 255), this);
    placeTwips(line2, 120, 4020, 5910, 15);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    placeTwips(cmdOK, 4830, 4200, 1080, 375);
}

void frmAbout::Form_Load() {
    const QString title = QLatin1String(kApplicationTitle);
    setWindowTitle(title + QStringLiteral("のバージョン情報"));
    lblVersion->setText(QStringLiteral("バージョン ") + versionText() + QStringLiteral("\r\n") +
                        QLatin1String(kLegalCopyright));
    lblTitle->setText(title);
    lblDescription->setPlainText(applicationComments());
    cmdOK->setFocus();
}

void frmAbout::cmdOK_Click() {
    close();
}
