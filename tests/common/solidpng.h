#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>

// A PNG of side × side pixels all of colour: an icon a test can tell apart by one pixel.
inline QByteArray solidPng(const QColor& colour, int side = 16) {
    QImage picture(side, side, QImage::Format_ARGB32);
    picture.fill(colour);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return png;
}
