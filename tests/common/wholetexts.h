#pragma once

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <algorithm>
#include <gtest/gtest.h>

#include "tests/common/builttranslations.h"
#include "ui/language.h"

// The windows in English from the fixture's start: a fixture that derives from this first
// builds its windows with the English texts.
struct InEnglish {
    UiTranslation english{QStringLiteral("en"), builtTranslations()};
};

// Every caption shown in window (labels, buttons, check boxes, group boxes) fits its box in
// the window's font, and no box runs into another of its parent's: none is cut off or covered.
// Texts that end in an ellipsis by design (a FittedLabel) are left out.
inline void expectEveryCaptionShowsWhole(const QWidget& window) {
    int checked = 0;
    // Side by side on one row (sharing at least half the lower one's height), two widgets
    // share no pixel column.
    const auto expectNothingCovers = [](const QWidget* widget) {
        const QList<QWidget*> siblings =
            widget->parentWidget()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
        const QRect box = widget->geometry();
        for (const QWidget* other : siblings) {
            const QRect near = other->geometry();
            const int shared = std::min(box.bottom(), near.bottom()) - std::max(box.y(), near.y());
            if (other != widget && !other->isHidden() && !other->isWindow() &&
                2 * (shared + 1) >= std::min(box.height(), near.height())) {
                EXPECT_FALSE(box.intersects(near))
                    << "covered by " << other->objectName().toStdString() << " " << box.x() << ","
                    << box.y() << " " << box.width() << "x" << box.height() << " / " << near.x()
                    << "," << near.y() << " " << near.width() << "x" << near.height();
            }
        }
    };
    const QList<QWidget*> widgets = window.findChildren<QWidget*>();
    for (const QWidget* widget : widgets) {
        if (!widget->isVisibleTo(&window) || widget->inherits("FittedLabel")) {
            continue;
        }
        SCOPED_TRACE(widget->objectName().toStdString());
        if (const auto* label = qobject_cast<const QLabel*>(widget)) {
            if (label->text().isEmpty() || label->textFormat() == Qt::RichText) {
                continue;
            }
            const QRect needed = label->fontMetrics().boundingRect(
                label->contentsRect(), int(label->alignment()) | Qt::TextWordWrap, label->text());
            if (label->wordWrap()) {
                // A word longer than the line is not broken: it runs past the box's edge.
                EXPECT_LE(needed.height(), label->contentsRect().height())
                    << label->text().toStdString();
                EXPECT_LE(needed.width(), label->contentsRect().width())
                    << label->text().toStdString();
            } else {
                // A label with a buddy draws its mnemonic's & as an underline.
                QString shown = label->text();
                if (label->buddy() != nullptr) {
                    shown.remove(QRegularExpression(QStringLiteral("&(?!&)")));
                }
                EXPECT_LE(label->fontMetrics().horizontalAdvance(shown),
                          label->contentsRect().width())
                    << label->text().toStdString();
            }
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
            if (button->text().isEmpty()) {
                continue;
            }
            // A push button's size hint holds the style's least width, whatever its caption.
            const int needed =
                qobject_cast<const QPushButton*>(button) != nullptr
                    ? button->fontMetrics().horizontalAdvance(
                          QString(button->text())
                              .remove(QRegularExpression(QStringLiteral("&(?!&)")))) +
                          2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin)
                    : button->sizeHint().width();
            EXPECT_LE(needed, button->width()) << button->text().toStdString();
        } else if (const auto* group = qobject_cast<const QGroupBox*>(widget)) {
            EXPECT_LE(group->fontMetrics().horizontalAdvance(group->title()) +
                          2 * group->style()->pixelMetric(QStyle::PM_LayoutLeftMargin),
                      group->width())
                << group->title().toStdString();
        } else {
            continue;
        }
        expectNothingCovers(widget);
        ++checked;
    }
    EXPECT_GT(checked, 0);
}
