// Icon discovery on any page: never a crash, and every link it gives is an absolute http or
// https URL with a host, given once. The first byte picks the page's URL and Content-Type.

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QUrl>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>

#include "icons/icondiscovery.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const char* const pages[] = {
        "https://news.example.jp/blog/index.html",
        "http://127.0.0.1:8080/",
        "http://user@[::1]/a/b?c#d",
        "https://日本.jp/",
    };
    static const char* const contentTypes[] = {"", "text/html; charset=Shift_JIS",
                                               "text/html; charset=x-none"};
    if (size == 0) {
        return 0;
    }
    const QUrl page(QString::fromUtf8(pages[data[0] % std::size(pages)]));
    const QString contentType =
        QString::fromLatin1(contentTypes[(data[0] / 4) % std::size(contentTypes)]);
    const QByteArray html(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const QStringList links = discoverIconLinks(html, contentType, page);
    QSet<QString> seen;
    for (const QString& link : links) {
        const QUrl url(link, QUrl::StrictMode);
        const bool http =
            url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https");
        if (!url.isValid() || url.isRelative() || !http || url.host().isEmpty() ||
            seen.contains(link)) {
            std::abort();
        }
        seen.insert(link);
    }
    return 0;
}
