#include "platform/net/contenttype.h"

#include <QRegularExpression>

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
