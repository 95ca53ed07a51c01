#include "icons/icondecoder.h"

#include <algorithm>
#include <mutex>
#include <optional>

#include <QBuffer>
#include <QHash>
#include <QImageReader>
#include <QList>
#include <QPainter>
#include <QSvgRenderer>
#include <QXmlStreamReader>

namespace {

// Qt refuses to allocate a decoded picture over this many MiB, a guard behind the header
// check for pictures inside pictures (a PNG inside an ICO) whose headers were not asked.
// Icons need a few MiB; the program reads no large pictures.
constexpr int kAllocationLimitMb = 32;

// An ICO may hold many pictures; a handful of sizes is all an icon needs.
constexpr int kMaxPicturesLooked = 32;

void limitAllocations() {
    static std::once_flag once;
    std::call_once(once, [] {
        const int current = QImageReader::allocationLimit();
        if (current == 0 || current > kAllocationLimitMb) {
            QImageReader::setAllocationLimit(kAllocationLimitMb);
        }
    });
}

bool isBlank(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) != 0) {
                return false;
            }
        }
    }
    return true;
}

// source scaled to fit a square of side, centred on transparency.
QImage fitted(const QImage& source, int side) {
    QImage square(side, side, QImage::Format_ARGB32_Premultiplied);
    square.fill(Qt::transparent);
    const QImage scaled = source.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                              .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&square);
    painter.drawImage((side - scaled.width()) / 2, (side - scaled.height()) / 2, scaled);
    painter.end();
    return square;
}

// How many elements the SVG draws with every <use> followed, or nothing when that passes
// the limit, a reference runs in a circle, or the document is no well-formed XML.
std::optional<qint64> drawnElements(const QByteArray& bytes) {
    struct Node {
        QList<int> children;
        QString reference;
    };
    QList<Node> nodes;
    QHash<QString, int> byId;
    QList<int> open;
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            if (xml.tokenType() == QXmlStreamReader::EndElement) {
                open.removeLast();
            }
            continue;
        }
        if (nodes.size() >= kMaxSvgDrawnElements) {
            return std::nullopt;
        }
        const int index = int(nodes.size());
        Node node;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (xml.name() == QLatin1String("use")) {
            QStringView href = attributes.value(QLatin1String("href"));
            if (href.isEmpty()) {
                href = attributes.value(QLatin1String("http://www.w3.org/1999/xlink"),
                                        QLatin1String("href"));
            }
            if (href.isEmpty()) {
                // Without namespace processing of an undeclared prefix.
                href = attributes.value(QLatin1String("xlink:href"));
            }
            if (href.startsWith(u'#')) {
                node.reference = href.mid(1).toString();
            }
        }
        const QString id = attributes.value(QLatin1String("id")).toString();
        if (!id.isEmpty() && !byId.contains(id)) {
            byId.insert(id, index);
        }
        nodes.append(std::move(node));
        if (!open.isEmpty()) {
            nodes[open.last()].children.append(index);
        }
        open.append(index);
    }
    if (xml.hasError()) {
        return std::nullopt;
    }
    // Each node's cost with its references followed, counted without recursion (a document
    // may nest deeply): -1 while a node's subtree is being counted, so that a reference back
    // into it is a circle.
    QList<qint64> cost(nodes.size(), 0);
    auto referenced = [&](int index) {
        const QString& reference = nodes[index].reference;
        return reference.isEmpty() ? -1 : byId.value(reference, -1);
    };
    qint64 largest = 0;
    for (int root = 0; root < nodes.size(); ++root) {
        QList<std::pair<int, bool>> stack{{root, false}};
        while (!stack.isEmpty()) {
            const auto [index, leaving] = stack.takeLast();
            if (!leaving) {
                if (cost[index] > 0) {
                    continue;
                }
                if (cost[index] < 0) {
                    return std::nullopt;
                }
                cost[index] = -1;
                stack.append({index, true});
                for (const int child : nodes[index].children) {
                    stack.append({child, false});
                }
                if (const int target = referenced(index); target >= 0) {
                    stack.append({target, false});
                }
                continue;
            }
            qint64 total = 1;
            for (const int child : nodes[index].children) {
                total += cost[child];
            }
            if (const int target = referenced(index); target >= 0) {
                total += cost[target];
            }
            if (total > kMaxSvgDrawnElements) {
                return std::nullopt;
            }
            cost[index] = total;
            largest = std::max(largest, total);
        }
    }
    return largest;
}

IconImages decodeSvg(const QByteArray& bytes) {
    if (bytes.size() > kMaxSvgBytes || !drawnElements(bytes)) {
        return {};
    }
    QSvgRenderer renderer(bytes);
    if (!renderer.isValid()) {
        return {};
    }
    renderer.setAspectRatioMode(Qt::KeepAspectRatio);
    IconImages icon;
    for (size_t i = 0; i < kIconPixelSizes.size(); ++i) {
        const int side = kIconPixelSizes[i];
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter, QRectF(0, 0, side, side));
        painter.end();
        icon.images[i] = image;
    }
    return icon;
}

struct Picture {
    int index = 0;
    int side = 0;
};

QImage readPicture(const QByteArray& bytes, int index) {
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    if (index > 0 && !reader.jumpToImage(index)) {
        return {};
    }
    const QSize size = reader.size();
    if (size.isValid() &&
        (size.width() > kMaxIconSourceSide || size.height() > kMaxIconSourceSide)) {
        return {};
    }
    QImage image;
    if (!reader.read(&image)) {
        return {};
    }
    return image;
}

IconImages decodeRaster(const QByteArray& bytes) {
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format();
    // SVG is drawn by decodeSvg after its checks, never by the plugin; its compressed form
    // could hide any amount of text.
    if (format.isEmpty() || format.startsWith("svg")) {
        return {};
    }
    // The pictures of the file and their sizes, from the headers alone.
    QList<Picture> pictures;
    const int count = format == "ico" ? std::clamp(reader.imageCount(), 0, kMaxPicturesLooked) : 1;
    for (int i = 0; i < count; ++i) {
        if (i > 0 && !reader.jumpToImage(i)) {
            break;
        }
        const QSize size = reader.size();
        if (!size.isValid()) {
            // Some handlers learn the size only by reading; the allocation limit holds then.
            pictures.append({i, 0});
            continue;
        }
        if (size.width() <= kMaxIconSourceSide && size.height() <= kMaxIconSourceSide &&
            !size.isEmpty()) {
            pictures.append({i, std::max(size.width(), size.height())});
        }
    }
    if (pictures.isEmpty()) {
        return {};
    }
    IconImages icon;
    QHash<int, QImage> read;
    for (size_t i = 0; i < kIconPixelSizes.size(); ++i) {
        const int side = kIconPixelSizes[i];
        // The smallest picture at least as large as the size, else the largest.
        const Picture* best = nullptr;
        for (const Picture& picture : pictures) {
            const bool fits = picture.side >= side;
            if (best == nullptr) {
                best = &picture;
            } else if (fits && (best->side < side || picture.side < best->side)) {
                best = &picture;
            } else if (!fits && best->side < side && picture.side > best->side) {
                best = &picture;
            }
        }
        if (!read.contains(best->index)) {
            read.insert(best->index, readPicture(bytes, best->index));
        }
        const QImage& source = read.value(best->index);
        if (source.isNull() || source.width() > kMaxIconSourceSide ||
            source.height() > kMaxIconSourceSide) {
            return {};
        }
        icon.images[i] = fitted(source, side);
    }
    return icon;
}

}  // namespace

QImage IconImages::atPixels(int side) const {
    for (size_t i = 0; i < kIconPixelSizes.size(); ++i) {
        if (kIconPixelSizes[i] == side) {
            return images[i];
        }
    }
    return {};
}

bool looksLikeSvg(const QByteArray& bytes) {
    // The first element, past a declaration, comments and a doctype; the head is enough.
    QXmlStreamReader xml(bytes.left(4096));
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
            case QXmlStreamReader::StartElement:
                return xml.name() == QLatin1String("svg");
            case QXmlStreamReader::Invalid:
                // The head cut in the middle of a tag is fine; anything else is no XML.
                return xml.error() == QXmlStreamReader::PrematureEndOfDocumentError &&
                       bytes.left(4096).contains("<svg");
            default:
                break;
        }
    }
    return false;
}

IconImages decodeIcon(const QByteArray& bytes) {
    if (bytes.isEmpty() || bytes.size() > kMaxIconFileBytes) {
        return {};
    }
    limitAllocations();
    IconImages icon = looksLikeSvg(bytes) ? decodeSvg(bytes) : decodeRaster(bytes);
    if (icon.isNull()) {
        return {};
    }
    for (const QImage& image : icon.images) {
        if (image.isNull()) {
            return {};
        }
    }
    if (isBlank(icon.images[1])) {
        return {};
    }
    return icon;
}
