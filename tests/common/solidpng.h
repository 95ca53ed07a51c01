#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>

#include "tests/common/loopbackserver.h"

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

// Serves a solid red icon as server's /favicon.ico, answering after delayMs: long enough for
// a window to be seen drawing its program's picture first.
inline void serveLateRedIcon(LoopbackServer& server, int delayMs = 200) {
    LoopbackServer::Response late;
    late.body = solidPng(Qt::red);
    late.delayMs = delayMs;
    late.headers = {{"Content-Type", "image/png"}};
    server.route(QStringLiteral("/favicon.ico"), late);
}
