#pragma once

#include <QCoreApplication>
#include <QString>
#include <QUrl>

inline constexpr int kVersionMajor = QV_VERSION_MAJOR;
inline constexpr int kVersionMinor = QV_VERSION_MINOR;
inline constexpr int kVersionRevision = QV_VERSION_PATCH;

inline constexpr char kApplicationTitle[] = "Quorvane3";
// Where users send opinions and error reports.
inline constexpr char kSupportEmail[] = "support@quorvane.example.jp";
// The legal notice line of the about box.
inline constexpr char kLegalCopyright[] = "Copyright (C) Tallowmere. All rights reserved.";

// "3.0.37"
[[nodiscard]] inline QString versionText() {
    return QStringLiteral("%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision);
}

// The maker's site, whose homepage ("index.html") and online help ("help.html") lie under
// it: the qvr3/ pages shipped with the program (ProgramPaths::shareDir), as a file: URL
// ending in "/".
[[nodiscard]] inline QString makerSiteUrl(const QString& shareDir) {
    QString dir = shareDir;
    if (!dir.endsWith(QLatin1Char('/'))) {
        dir += QLatin1Char('/');
    }
    return QString::fromLatin1(QUrl::fromLocalFile(dir + QStringLiteral("qvr3/")).toEncoded());
}

// The about box's comment: what the program is, its terms of use and where to write.
[[nodiscard]] inline QString applicationComments() {
    return QCoreApplication::translate(
               "About",
               "Quorvane3は、RSS 0.9x/1.0/2.0、Atom 1.0、JSON Feed 1.0/1.1に対応した汎用の"
               "ティッカー型RSSリーダです。"
               "登録したサイトを定期的に巡回し、新しい記事の見出しをティッカーに表示します。"
               "個人・法人を問わず無償で利用できます。改変しない限り、無償での再配布も"
               "自由です。本ソフトウェアの利用によって生じた損害について、作者は責任を"
               "負いません。ご意見・不具合のご報告は %1 までお寄せください。")
        .arg(QLatin1String(kSupportEmail));
}
