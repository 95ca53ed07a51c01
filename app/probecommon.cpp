#include "app/probecommon.h"

#include <QDir>
#include <cstdio>

ProbeEnvironment::ProbeEnvironment(const QString& programDir, const QString& exeBaseName) {
    ProgramPaths paths;
    paths.programDir = QDir::cleanPath(QDir(programDir).absolutePath());
    paths.exeDir = paths.programDir;
    paths.exeBaseName = exeBaseName;
    appState = std::make_unique<AppState>(paths, PlatformSeams{clock, messageBox, browser, screen});
}

void printRecord(const QStringList& fields) {
    QByteArray line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            line += '\t';
        }
        // UTF-8 keeps every byte of a multi-byte character at 0x80 or above, so the control
        // characters can be escaped in the bytes.
        const QByteArray field = fields.at(i).toUtf8();
        if (!field.contains('\t') && !field.contains('\n') && !field.contains('\r')) {
            line += field;
            continue;
        }
        for (const char c : field) {
            switch (c) {
                case '\t':
                    line += "\\t";
                    break;
                case '\n':
                    line += "\\n";
                    break;
                case '\r':
                    line += "\\r";
                    break;
                default:
                    line += c;
                    break;
            }
        }
    }
    line += '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
}

int printUsage(const QString& text) {
    std::fprintf(stderr, "%s\n", qUtf8Printable(text));
    return kProbeUsage;
}
