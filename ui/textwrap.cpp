#include "ui/textwrap.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QScrollBar>
#include <QTextOption>

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
