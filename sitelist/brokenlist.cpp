#include "sitelist/brokenlist.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "core/appstate.h"
#include "platform/system/clock.h"
#include "platform/modal/messagebox.h"

QString opmlLoadFailedText() {
    return QCoreApplication::translate("SiteList", "OPMLファイルの読み込みに失敗しました");
}

QString keepBrokenList(const QString& path, const QDateTime& now, const QString& fallbackDir) {
    const QString suffix =
        QStringLiteral(".broken-") + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QFileInfo info(path);
    const QString name = info.fileName() + suffix;
    for (const QString& dir : {info.absolutePath(), fallbackDir}) {
        if (dir.isEmpty()) {
            continue;
        }
        const QString base = QDir(dir).filePath(name);
        for (int n = 1; n <= 100; ++n) {
            const QString copy = n == 1 ? base : base + QLatin1Char('-') + QString::number(n);
            if (QFileInfo::exists(copy)) {
                continue;
            }
            if (QFile::copy(path, copy)) {
                // As private as the list it keeps.
                QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
                return copy;
            }
            break;  // this folder takes no copy: try the next
        }
    }
    return {};
}

bool reportBrokenList(AppState& state, const QString& path, const OpmlLoadError& error) {
    const QFileInfo info(path);
    if (!info.isFile() || info.size() == 0) {
        return false;
    }
    const QString kept = keepBrokenList(path, state.seams.clock.now(), state.paths.programDir);
    QString text =
        opmlLoadFailedText() + QStringLiteral("\r\n") + error.reason() + QStringLiteral("\r\n");
    if (kept.isEmpty()) {
        text +=
            QCoreApplication::translate("SiteList", "元のファイル「%1」の写しを残せませんでした。")
                .arg(QDir::toNativeSeparators(path));
    } else {
        text +=
            QCoreApplication::translate("SiteList", "元のファイルは「%1」として残してあります。")
                .arg(QDir::toNativeSeparators(kept));
    }
    state.seams.messageBox.show(text, state.exeBaseName(), MsgButtons::Ok, MsgIcon::Warning);
    return true;
}

void reportUnreadableList(AppState& state, const QString& path, const OpmlLoadError& error) {
    state.seams.messageBox.show(
        opmlLoadFailedText() + QStringLiteral("\r\n") +
            QCoreApplication::translate("SiteList", "「%1」を読み込めませんでした。")
                .arg(QDir::toNativeSeparators(path)) +
            QStringLiteral("\r\n") + error.reason(),
        state.exeBaseName(), MsgButtons::Ok, MsgIcon::Warning);
}
