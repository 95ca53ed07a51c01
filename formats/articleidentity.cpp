#include "formats/articleidentity.h"

#include <QByteArray>
#include <QCryptographicHash>

#include "formats/feedtext.h"

namespace {

QString digestOf(const QString& text) {
    return QStringLiteral("sha1:") +
           QString::fromLatin1(
               QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha1).toHex());
}

QString kept(const QString& text) {
    return text.size() > kMaxArticleIdentityLength ? digestOf(text) : text;
}

}  // namespace

QString articleIdentity(QStringView ownId, const QString& link, const QString& title,
                        const QDateTime& date) {
    const QStringView id = trimmedFeedText(ownId);
    if (!id.isEmpty()) {
        return kept(id.toString());
    }
    if (!link.isEmpty()) {
        return kept(link);
    }
    // The date is wall-clock time as read (platform/system/clock.h), the same at every read;
    // a unit separator keeps "ab" + "c" apart from "a" + "bc".
    const QString dateText = date.isValid() ? date.toString(Qt::ISODateWithMs) : QString();
    return digestOf(title + QChar(0x1f) + dateText);
}
