#pragma once

#include <QString>

inline constexpr int kVersionMajor = QV_VERSION_MAJOR;
inline constexpr int kVersionMinor = QV_VERSION_MINOR;
inline constexpr int kVersionRevision = QV_VERSION_PATCH;

inline constexpr char kApplicationTitle[] = "Quorvane3";
// Where users send opinions and error reports.
inline constexpr char kSupportEmail[] = "support@quorvane.example.jp";

// "3.0.37"
[[nodiscard]] inline QString versionText() {
    return QStringLiteral("%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision);
}
