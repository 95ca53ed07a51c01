#include "platform/resourcefetch.h"

#include <QFileInfo>
#include <QRegularExpression>

#include "platform/httpfetch.h"
#include "platform/localfile.h"

namespace {

FetchedResource failed(const QString& error) {
    FetchedResource result;
    result.error = error;
    return result;
}

}  // namespace

FetchedResource fetchResource(const QString& location, const FetchOptions& options) {
    const ResourceLocation where = locateResource(location);
    switch (where.kind) {
        case ResourceLocation::Kind::Http: {
            HttpFetchResult fetched = httpGet(location, options);
            if (!fetched.ok) {
                return failed(fetched.error);
            }
            FetchedResource result;
            result.ok = true;
            result.body = std::move(fetched.body);
            result.contentType = fetched.contentType;
            result.url = QUrl(fetched.effectiveUrl.isEmpty() ? location : fetched.effectiveUrl);
            return result;
        }
        case ResourceLocation::Kind::LocalFile: {
            FetchedResource result;
            result.ok = readLocalFile(where.path, options.maxBytes, result.body, result.error) ==
                        LocalFileRead::Ok;
            if (result.ok) {
                result.url = QUrl::fromLocalFile(QFileInfo(where.path).absoluteFilePath());
            }
            return result;
        }
        case ResourceLocation::Kind::Unsupported:
            break;
    }
    return failed(where.error);
}

QString charsetOfContentType(const QString& contentType) {
    static const QRegularExpression charset(
        QStringLiteral(R"re(;\s*charset\s*=\s*(?:"([^"]*)"|([^\s;]+)))re"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = charset.match(contentType);
    if (!match.hasMatch()) {
        return {};
    }
    return (match.hasCaptured(1) ? match.captured(1) : match.captured(2)).trimmed();
}
