#pragma once

#include <QByteArray>
#include <QImage>
#include <array>

// The sides in pixels a site's icon is kept at: 16 and 32 for rows of either height, 64 for
// 32 at twice the pixel density (16 at twice is the 32).
inline constexpr std::array<int, 3> kIconPixelSizes = {16, 32, 64};

// The largest icon file decoded, as fetched: a page or a feed may name anything.
inline constexpr qsizetype kMaxIconFileBytes = 1024 * 1024;
// An SVG is text a person drew; beyond this it is no icon.
inline constexpr qsizetype kMaxSvgBytes = 256 * 1024;
// A picture whose header claims more pixels on a side is refused before it is decoded.
inline constexpr int kMaxIconSourceSide = 1024;
// The elements an SVG may draw once its <use> references are followed.
inline constexpr int kMaxSvgDrawnElements = 20'000;

// A site's icon at each of kIconPixelSizes: square, transparent around a picture that is
// not, premultiplied ARGB32.
struct IconImages {
    std::array<QImage, kIconPixelSizes.size()> images;

    [[nodiscard]] bool isNull() const { return images[0].isNull(); }
    // The image of side pixels (one of kIconPixelSizes); null when there is none.
    [[nodiscard]] QImage atPixels(int side) const;
};

// An ICO, PNG, GIF, JPEG, SVG (or any raster format Qt's image plugins read) scaled to every
// size; for a file with several pictures (ICO), the one closest above each size. Null for a
// file that is none of them, is broken, would take unbounded time or memory (over the size
// limits above, an SVG whose references multiply), or shows nothing (fully transparent).
// Safe on any thread.
[[nodiscard]] IconImages decodeIcon(const QByteArray& bytes);

// Whether bytes look like an SVG document (text whose first element is <svg>).
[[nodiscard]] bool looksLikeSvg(const QByteArray& bytes);
