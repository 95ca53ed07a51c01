#include "ui/textwrap.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QScrollBar>
#include <QTextLayout>
#include <QTextOption>
#include <algorithm>
#include <cmath>

namespace {

// The widget's style with the scroll bars laid out beside the contents, never over them.
class ScrollBarsBesideStyle final : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ScrollBar_Transient) {
            return 0;
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

void wrapWithinVisibleWidth(QPlainTextEdit* box) {
    box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    box->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The scroll area asks its scroll bars' style whether they lie over the text. The
    // widget does not own a style set on it: the proxy is the box's child.
    auto* style = new ScrollBarsBesideStyle(QApplication::style()->name());
    style->setParent(box);
    box->setStyle(style);
    box->verticalScrollBar()->setStyle(style);
    box->horizontalScrollBar()->setStyle(style);
}

int widestUnbreakablePiece(const QString& text, const QFont& font) {
    // Laid out in lines of no width, every line holds one piece that cannot be broken.
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    qreal widest = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(0);
        widest = std::max(widest, line.naturalTextWidth());
    }
    layout.endLayout();
    return int(std::ceil(widest));
}

int balancedWrapWidth(const QLabel& label, int roomWidth) {
    // A label's height for a width too narrow for a word is that of the lines it would take
    // if the word fitted: the word is cut, so the search starts at the widest word.
    const QMargins margins = label.contentsMargins();
    const int frame = margins.left() + margins.right() + 2 * label.margin();
    int narrow = std::min(roomWidth, widestUnbreakablePiece(label.text(), label.font()) + frame);
    int wide = roomWidth;
    const int height = label.heightForWidth(roomWidth);
    while (narrow < wide) {
        const int width = (narrow + wide) / 2;
        if (label.heightForWidth(width) <= height) {
            wide = width;
        } else {
            narrow = width + 1;
        }
    }
    return std::max(wide, 1);
}
