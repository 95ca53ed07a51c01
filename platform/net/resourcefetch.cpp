#include "platform/net/resourcefetch.h"

#include <QFileInfo>

#include "platform/net/httpfetch.h"
#include "platform/files/localfile.h"

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
