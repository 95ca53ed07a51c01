#include "tests/icons/iconfixtures.h"

#include <QBuffer>
#include <QImageWriter>
#include <QtEndian>

namespace {

quint32 crc32Of(const QByteArray& bytes) {
    quint32 crc = 0xffffffffu;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k) {
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

QByteArray bigEndian(quint32 value) {
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray pngChunk(const QByteArray& type, const QByteArray& data) {
    return bigEndian(quint32(data.size())) + type + data + bigEndian(crc32Of(type + data));
}

}  // namespace

QImage solidImage(int side, const QColor& colour) {
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

QByteArray encodedImage(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.write(image);
    return bytes;
}

namespace {

struct IcoPicture {
    int side = 0;
    QByteArray bytes;
};

QByteArray le16(quint16 v) {
    QByteArray b(2, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray le32(quint32 v) {
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

// ICONDIR, then an ICONDIRENTRY per picture, then the pictures, each a PNG (as most sites'
// favicons are made).
QByteArray icoFile(const QList<IcoPicture>& pictures) {
    QByteArray directory = le16(0) + le16(1) + le16(quint16(pictures.size()));
    QByteArray data;
    qint64 offset = 6 + 16 * pictures.size();
    for (const IcoPicture& picture : pictures) {
        const char side = char(picture.side >= 256 ? 0 : picture.side);
        directory += side;
        directory += side;
        directory += QByteArray(2, '\0');
        directory +=
            le16(1) + le16(32) + le32(quint32(picture.bytes.size())) + le32(quint32(offset));
        data += picture.bytes;
        offset += picture.bytes.size();
    }
    return directory + data;
}

}  // namespace

QByteArray icoOf(const QList<QImage>& images) {
    QList<IcoPicture> pictures;
    for (const QImage& image : images) {
        pictures.append({image.width(), encodedImage(image, "png")});
    }
    return icoFile(pictures);
}

QByteArray icoHolding(const QByteArray& picture, int side) {
    return icoFile({{side, picture}});
}

QByteArray solidGif(int side, const QColor& colour) {
    // Every pixel a literal 8-bit LZW code (a 7-bit minimum code size), with a clear code
    // before the code table would grow to 9 bits: valid, if not small.
    constexpr int kClear = 128;
    constexpr int kEnd = 129;
    constexpr int kLiteralsPerClear = 120;
    QByteArray codes;
    codes += char(kClear);
    for (int pixel = 0; pixel < side * side; ++pixel) {
        if (pixel > 0 && pixel % kLiteralsPerClear == 0) {
            codes += char(kClear);
        }
        codes += char(0);
    }
    codes += char(kEnd);
    QByteArray gif = "GIF89a" + le16(quint16(side)) + le16(quint16(side));
    gif += char(0xf6);  // a global table of 128 colours
    gif += QByteArray(2, '\0');
    QByteArray table(128 * 3, '\0');
    table[0] = char(colour.red());
    table[1] = char(colour.green());
    table[2] = char(colour.blue());
    gif += table;
    gif += ',' + le16(0) + le16(0) + le16(quint16(side)) + le16(quint16(side)) + char(0);
    gif += char(7);
    for (qsizetype at = 0; at < codes.size(); at += 255) {
        const QByteArray block = codes.mid(at, 255);
        gif += char(block.size()) + block;
    }
    gif += char(0);
    gif += ';';
    return gif;
}

QByteArray pngHeaderClaiming(quint32 width, quint32 height) {
    QByteArray header = bigEndian(width) + bigEndian(height);
    header += char(8);  // bit depth
    header += char(6);  // RGBA
    header += QByteArray(3, '\0');
    // A zlib stream of a few zero bytes: enough for a reader that trusts the header.
    const QByteArray data = QByteArray::fromHex("78da636000000000010001");
    return QByteArray::fromHex("89504e470d0a1a0a") + pngChunk("IHDR", header) +
           pngChunk("IDAT", data) + pngChunk("IEND", {});
}

QByteArray svgBomb(int levels, int fanOut) {
    QByteArray svg =
        R"(<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" width="32" height="32"><defs>)";
    svg += R"(<circle id="l0" cx="16" cy="16" r="8" fill="red"/>)";
    for (int level = 1; level <= levels; ++level) {
        svg += "<g id=\"l" + QByteArray::number(level) + "\">";
        for (int k = 0; k < fanOut; ++k) {
            svg += "<use xlink:href=\"#l" + QByteArray::number(level - 1) + "\"/>";
        }
        svg += "</g>";
    }
    svg += "</defs><use xlink:href=\"#l" + QByteArray::number(levels) + "\"/></svg>";
    return svg;
}

QByteArray svgCircle(const QColor& colour) {
    return R"(<?xml version="1.0"?><!-- drawn for the tests -->
<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 100 100"><circle cx="50" cy="50" r="50" fill=")" +
           colour.name().toLatin1() + R"("/></svg>)";
}
