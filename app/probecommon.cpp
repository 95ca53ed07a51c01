#include "app/probecommon.h"

#include <QDir>
#include <cstdio>

ProbeEnvironment::ProbeEnvironment(const QString& programDir, const QString& exeBaseName) {
    ProgramPaths paths;
    paths.programDir = QDir::cleanPath(QDir(programDir).absolutePath());
    paths.shareDir = paths.programDir;
    paths.exeBaseName = exeBaseName;
    appState = std::make_unique<AppState>(paths, PlatformSeams{clock, messageBox, browser, screen});
}

void printRecord(const QStringList& fields) {
    QStringList escaped;
    escaped.reserve(fields.size());
    for (QString field : fields) {
        field.replace(QLatin1Char('\t'), QLatin1String("\\t"));
        field.replace(QLatin1Char('\n'), QLatin1String("\\n"));
        field.replace(QLatin1Char('\r'), QLatin1String("\\r"));
        escaped.append(field);
    }
    const QByteArray line = escaped.join(QLatin1Char('\t')).toUtf8() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
}

int printUsage(const QString& text) {
    std::fprintf(stderr, "%s\n", qUtf8Printable(text));
    return kProbeUsage;
}
