#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>

// Pictures made for the icon tests, each in the file format named.

// A square of side pixels in colour.
[[nodiscard]] QImage solidImage(int side, const QColor& colour);
// image written by Qt's writer for format ("png", "jpg", "ico").
[[nodiscard]] QByteArray encodedImage(const QImage& image, const char* format);
// A GIF of one colour (Qt writes no GIF).
[[nodiscard]] QByteArray solidGif(int side, const QColor& colour);
// An ICO holding one picture per image, in the order given.
[[nodiscard]] QByteArray icoOf(const QList<QImage>& images);
// An ICO of one picture whose directory says it is side pixels square, whatever it is.
[[nodiscard]] QByteArray icoHolding(const QByteArray& picture, int side);
// A valid PNG signature and header claiming width×height, then a tiny data chunk: what a
// hostile server sends to make a reader allocate gigabytes.
[[nodiscard]] QByteArray pngHeaderClaiming(quint32 width, quint32 height);
// An SVG whose <use> elements reference the previous level fanOut times, levels deep: a
// few hundred bytes drawing fanOut^levels shapes.
[[nodiscard]] QByteArray svgBomb(int levels, int fanOut);
// A plain SVG: a filled circle.
[[nodiscard]] QByteArray svgCircle(const QColor& colour);
