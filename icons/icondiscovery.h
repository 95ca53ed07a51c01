#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>

// The side in pixels that a site's icon is shown at, at most (32 px rows, or 16 px at twice
// the pixel density): the icon that a page names for it is the one wanted.
inline constexpr int kIconFitPixels = 32;

// The icons a site's home page leads to, best first, every one an absolute http(s) URL and
// none twice: the icons its head names (rel "icon" or "shortcut icon"; "apple-touch-icon"
// only after those, being made for home screens), each kind ordered by its sizes attribute
// (those that fit kIconFitPixels, the largest first, and scalable ones; then those that say
// no size; then the larger ones, the smallest first; document order within a rank), resolved
// against the page's <base href> and pageUrl; then "/favicon.ico" of pageUrl's host. The
// page is read as feed discovery reads it (broken markup as a browser takes it; the search
// stops at </head> or <body>). Empty for a pageUrl that is not http(s). Pure: safe on any
// thread.
[[nodiscard]] QStringList discoverIconLinks(const QByteArray& html, const QString& contentType,
                                            const QUrl& pageUrl);

// "/favicon.ico" of url's scheme, host and port; empty for a URL that is not http(s).
[[nodiscard]] QString faviconUrlOf(const QUrl& url);

// href as an absolute http(s) URL against base (a protocol-relative "//host/x" takes base's
// scheme); empty when it is none, or the result is not http(s) (data:, javascript:, ...).
[[nodiscard]] QString absoluteHttpUrl(const QString& href, const QUrl& base);
