#include "ui/fittedlabel.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QTextLayout>
#include <QToolTip>

QString FittedLabel::shownText() const {
    if (!wordWrap()) {
        return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
    }
    QTextLayout layout(text(), font());
    const int count = layoutWholeLines(layout);
    QStringList lines;
    for (int i = 0; i < count; ++i) {
        const QTextLine line = layout.lineAt(i);
        lines.append(text().mid(line.textStart(), line.textLength()).trimmed());
    }
    return lines.join(QLatin1Char('\n'));
}

int FittedLabel::layoutWholeLines(QTextLayout& layout) const {
    QTextOption option(alignment());
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    const QRect box = contentsRect();
    int count = 0;
    qreal y = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(box.width());
        line.setPosition(QPointF(0, y));
        y += line.height();
        if (y <= box.height()) {
            ++count;
        }
    }
    layout.endLayout();
    return count;
}

void FittedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawFrame(&painter);
    const QRect box = contentsRect();
    painter.setPen(palette().color(foregroundRole()));
    if (!wordWrap()) {
        style()->drawItemText(&painter, box, int(alignment()), palette(), isEnabled(), shownText(),
                              foregroundRole());
        return;
    }
    QTextLayout layout(text(), font());
    const int count = layoutWholeLines(layout);
    for (int i = 0; i < count; ++i) {
        layout.lineAt(i).draw(&painter, box.topLeft());
    }
}

bool FittedLabel::event(QEvent* event) {
    // An elided text is read whole in the tool tip, unless the label has a tip of its own.
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty() && !wordWrap()) {
        const QString shown = shownText();
        if (shown != text()) {
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text(), this);
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return QLabel::event(event);
}
