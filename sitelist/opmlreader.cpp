#include "sitelist/opmlreader.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QXmlStreamReader>
#include <vector>

#include "platform/files/localfile.h"
#include "platform/xml/safexmlstream.h"
#include "sitelist/opmlfields.h"

namespace {

// Indentation between outlines is no content.
bool isBlank(QStringView text) {
    for (const QChar c : text) {
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n') &&
            c != QLatin1Char('\r')) {
            return false;
        }
    }
    return true;
}

// The row of one outline element.
SiteRow rowOf(const QXmlStreamAttributes& attributes) {
    SiteRow row;
    row.intKind = kKindFolder;
    for (const QXmlStreamAttribute& attribute : attributes) {
        const opmlfields::Field field = opmlfields::fieldOf(attribute.qualifiedName());
        if (field != opmlfields::kOther) {
            opmlfields::setField(row, field, attribute.value().toString());
        }
    }
    return row;
}

OpmlList failed(OpmlLoadError::Kind kind, const QXmlStreamReader* at = nullptr) {
    OpmlList list;
    list.error.kind = kind;
    if (at) {
        list.error.line = at->lineNumber();
        list.error.column = at->columnNumber() + 1;
    }
    return list;
}

OpmlList refusedByTheGuard(const SafeXmlStream& guard) {
    OpmlList list;
    switch (guard.fault()) {
        case SafeXmlStream::Fault::TooDeep:
            list.error.kind = OpmlLoadError::Kind::TooDeep;
            break;
        case SafeXmlStream::Fault::EntityExpansion:
            list.error.kind = OpmlLoadError::Kind::EntityExpansion;
            break;
        case SafeXmlStream::Fault::Malformed:
        case SafeXmlStream::Fault::None:
            list.error.kind = OpmlLoadError::Kind::Malformed;
            list.error.detail = guard.parserMessage();
            break;
    }
    list.error.line = guard.faultLine();
    list.error.column = guard.faultColumn() + 1;
    return list;
}

}  // namespace

QString OpmlLoadError::reason() const {
    const QString place =
        QCoreApplication::translate("OpmlLoadError", "%1行目 %2桁目").arg(line).arg(column);
    switch (kind) {
        case Kind::None:
            break;
        case Kind::Missing:
            return QCoreApplication::translate("OpmlLoadError", "ファイルが見つかりません。");
        case Kind::Unreadable:
            return QCoreApplication::translate("OpmlLoadError", "ファイルを開けません。");
        case Kind::TooLarge:
            return QCoreApplication::translate("OpmlLoadError", "ファイルが大きすぎます。");
        case Kind::Malformed:
            return QCoreApplication::translate("OpmlLoadError", "XMLの誤り（%1）: %2")
                .arg(place, detail);
        case Kind::TooDeep:
            return QCoreApplication::translate("OpmlLoadError",
                                               "フォルダの入れ子が深すぎます（%1）。")
                .arg(place);
        case Kind::EntityExpansion:
            return QCoreApplication::translate("OpmlLoadError",
                                               "実体参照の展開が大きすぎます（%1）。")
                .arg(place);
        case Kind::NoBody:
            return QCoreApplication::translate("OpmlLoadError", "body要素がありません。");
        case Kind::TextAmongOutlines:
            return QCoreApplication::translate("OpmlLoadError",
                                               "outline要素の間に文字があります（%1）。")
                .arg(place);
        case Kind::TooManyEntries:
            return QCoreApplication::translate(
                       "OpmlLoadError", "項目が多すぎます。読み込めるのは %1 件までです（%2）。")
                .arg(kMaxOpmlEntries)
                .arg(place);
    }
    return {};
}

OpmlList readOpml(const QByteArray& bytes) {
    if (std::optional<OpmlList> plain = readPlainOpml(bytes)) {
        return std::move(*plain);
    }
    return readOpmlWithXmlReader(bytes);
}

OpmlList readOpmlWithXmlReader(const QByteArray& bytes) {
    SafeXmlStream guard(bytes);
    const QXmlStreamReader& xml = guard.reader();
    OpmlList list;
    // Open outlines, innermost last; empty at body level.
    std::vector<SiteNode*> open;
    enum class Where { BeforeBody, InBody, AfterBody } where = Where::BeforeBody;
    while (!guard.atEnd()) {
        switch (guard.readNext()) {
            case QXmlStreamReader::StartElement: {
                if (where == Where::BeforeBody) {
                    if (xml.qualifiedName() == QLatin1String("body")) {
                        where = Where::InBody;
                    }
                    break;
                }
                if (where == Where::AfterBody) {
                    break;
                }
                if (list.table.size() >= kMaxOpmlEntries) {
                    return failed(OpmlLoadError::Kind::TooManyEntries, &xml);
                }
                const int index = list.table.append(rowOf(xml.attributes()));
                const SiteRow& row = list.table[index];
                // The image shows the kind: 1 folder, 2 site.
                open.push_back(list.tree.append(open.empty() ? nullptr : open.back(),
                                                keyOfIndex(index), row.strTitle, row.intKind));
                break;
            }
            case QXmlStreamReader::EndElement:
                if (where == Where::InBody) {
                    if (open.empty()) {
                        where = Where::AfterBody;
                    } else {
                        open.pop_back();
                    }
                }
                break;
            case QXmlStreamReader::Characters:
                // Anything else written between outlines means the file is not a plain outline
                // list, and guessing what it meant could lose entries.
                if (where == Where::InBody && !isBlank(xml.text())) {
                    return failed(OpmlLoadError::Kind::TextAmongOutlines, &xml);
                }
                break;
            case QXmlStreamReader::EntityReference:
                if (where == Where::InBody) {
                    return failed(OpmlLoadError::Kind::TextAmongOutlines, &xml);
                }
                break;
            default:
                // Comments and processing instructions carry no entry; other OPML programs
                // leave them among the outlines.
                break;
        }
    }
    if (guard.fault() != SafeXmlStream::Fault::None) {
        return refusedByTheGuard(guard);
    }
    if (where == Where::BeforeBody) {
        return failed(OpmlLoadError::Kind::NoBody);
    }
    list.ok = true;
    return list;
}

OpmlList readOpmlFile(const QString& path, qint64 maxBytes) {
    QByteArray bytes;
    QString error;
    switch (readLocalFile(path, maxBytes, bytes, error)) {
        case LocalFileRead::Ok:
            return readOpml(bytes);
        case LocalFileRead::NotAFile:
            return failed(QFileInfo::exists(path) ? OpmlLoadError::Kind::Unreadable
                                                  : OpmlLoadError::Kind::Missing);
        case LocalFileRead::TooLarge:
            return failed(OpmlLoadError::Kind::TooLarge);
        case LocalFileRead::Failed:
            break;
    }
    return failed(OpmlLoadError::Kind::Unreadable);
}
