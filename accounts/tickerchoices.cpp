#include "accounts/tickerchoices.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>

#include "platform/files/atomicfile.h"
#include "platform/files/paths.h"

namespace {

// Far above what a server of tens of thousands of feeds needs.
constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;
constexpr int kMaxIdLength = 200;

struct TickerChoicesText {
    Q_DECLARE_TR_FUNCTIONS(TickerChoices)
};

bool validId(const QString& id) {
    return !id.isEmpty() && id.size() <= kMaxIdLength &&
           std::none_of(id.cbegin(), id.cend(),
                        [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; });
}

}  // namespace

QString hiddenFeedsPath(const QString& folder, int number) {
    return joinPath(joinPath(folder, QStringLiteral("accounts")),
                    QString::number(number) + QStringLiteral(".hidden"));
}

bool readHiddenFeeds(const QString& path, QSet<QString>& ids, QString* error) {
    ids.clear();
    QFile file(path);
    if (!file.exists()) {
        return true;
    }
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileBytes) {
        if (error != nullptr) {
            *error = TickerChoicesText::tr("%1 を読めません: %2")
                         .arg(QDir::toNativeSeparators(path),
                              file.isOpen() ? TickerChoicesText::tr("ファイルが大きすぎます")
                                            : file.errorString());
        }
        return false;
    }
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    for (const QByteArray& line : bytes.split('\n')) {
        const QString id = QString::fromUtf8(line).trimmed();
        if (validId(id)) {
            ids.insert(id);
        }
    }
    return true;
}

bool writeHiddenFeeds(const QString& path, const QSet<QString>& ids, QString* error) {
    QStringList sorted(ids.cbegin(), ids.cend());
    sorted.removeIf([](const QString& id) { return !validId(id); });
    if (sorted.isEmpty()) {
        if (QFile::exists(path) && !QFile::remove(path)) {
            if (error != nullptr) {
                *error = TickerChoicesText::tr("%1 を削除できません")
                             .arg(QDir::toNativeSeparators(path));
            }
            return false;
        }
        return true;
    }
    std::sort(sorted.begin(), sorted.end());
    if (!makePrivateFolder(QFileInfo(path).absolutePath())) {
        if (error != nullptr) {
            *error = TickerChoicesText::tr("フォルダ %1 を作れません")
                         .arg(QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
        }
        return false;
    }
    return writeFileAtomically(path, (sorted.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8(),
                               FileAccess::OwnerOnly, error);
}
