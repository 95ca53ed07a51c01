#include "formats/windows31j.h"

#include <QChar>
#include <QStringEncoder>
#include <optional>

namespace {

constexpr const char* kCodec = "windows-31j";

enum class TextKind { Ascii, Bmp, WithSurrogate };

TextKind kindOf(QStringView text) {
    TextKind kind = TextKind::Ascii;
    for (const QChar c : text) {
        if (c.isSurrogate()) {
            return TextKind::WithSurrogate;
        }
        if (c.unicode() >= 0x80) {
            kind = TextKind::Bmp;
        }
    }
    return kind;
}

}  // namespace

bool encodeWindows31j(QStringView text, QByteArray& bytes) {
    // ICU keeps a trailing high surrogate pending instead of reporting it, and turns a
    // pair into one substitute; surrogates are never encodable, so decide them up front.
    switch (kindOf(text)) {
        case TextKind::WithSurrogate:
            return false;
        case TextKind::Ascii:
            // ASCII is the single-byte half of windows-31j, byte for byte (URLs, mostly).
            bytes = text.toLatin1();
            return true;
        case TextKind::Bmp:
            break;
    }
    // A fresh encoder per call: once an encoder has seen an error it keeps reporting one.
    QStringEncoder encoder(kCodec);
    bytes = encoder.encode(text);
    return !encoder.hasError();
}

QByteArray windows31jBytesOfUnit(char16_t unit) {
    if (unit < 0x80) {
        return QByteArray(1, char(unit));
    }
    if (QChar::isSurrogate(unit)) {
        return {};
    }
    QStringEncoder encoder(kCodec);
    QByteArray bytes = encoder.encode(QStringView(&unit, 1));
    if (encoder.hasError()) {
        return {};
    }
    return bytes;
}

QList<QByteArray> windows31jBytesOfUnits(QStringView text) {
    QList<QByteArray> units;
    units.reserve(text.size());
    // Built in place and never moved: ICU's error callback keeps the address of the
    // encoder's state, so a moved-to encoder would stop reporting errors.
    std::optional<QStringEncoder> encoder;
    encoder.emplace(kCodec);
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        if (unit < 0x80) {
            units.append(QByteArray(1, char(unit)));
            continue;
        }
        if (c.isSurrogate()) {
            units.append(QByteArray());
            continue;
        }
        QByteArray bytes = encoder->encode(QStringView(&unit, 1));
        if (encoder->hasError()) {
            units.append(QByteArray());
            // Errors stick (resetState() does not clear ICU's), so start afresh.
            encoder.emplace(kCodec);
        } else {
            units.append(std::move(bytes));
        }
    }
    return units;
}
