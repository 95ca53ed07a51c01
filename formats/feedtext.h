#pragma once

#include <QString>
#include <QStringView>
#include <QUrl>

// What every feed format does to the texts it reads, so that an item reads the same
// whatever format carried it.

// Most items one feed may yield; one more ends the read as an overflow.
inline constexpr int kMaxFeedItems = 32767;
// Titles and descriptions are cut to these many UTF-16 units when a feed is read: the
// ticker shows one line, and nothing stored relies on longer texts. A text is never cut
// inside a surrogate pair, so it may keep one unit less.
inline constexpr qsizetype kMaxFeedTitleLength = 1000;
inline constexpr qsizetype kMaxFeedDescriptionLength = 65536;

// Space, tab, CR and LF: what feeds indent their texts with. U+3000 is no blank: Japanese
// titles use it on purpose.
[[nodiscard]] inline bool isFeedBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') ||
           c == QLatin1Char('\n');
}

// The text without feed blanks at either end.
[[nodiscard]] QStringView trimmedFeedText(QStringView text);
[[nodiscard]] QString trimFeedText(const QString& text);

// An item's title: trimmed, cut, then cleaned (CleanTitleText).
[[nodiscard]] QString feedItemTitle(const QString& text);
// A channel's title: trimmed, cut, and each control character, surrogate without its other
// half and non-character replaced by U+3000; every other character is kept.
[[nodiscard]] QString feedChannelTitle(const QString& text);
// A description: trimmed and cut.
[[nodiscard]] QString feedDescription(const QString& text);

// A link as written, or resolved against base when it is relative and there is a base.
[[nodiscard]] QString resolvedFeedLink(QStringView href, const QUrl& base);
