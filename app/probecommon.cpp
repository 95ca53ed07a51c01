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
    QString line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            line += QLatin1Char('\t');
        }
        const QString& field = fields.at(i);
        if (!field.contains(QLatin1Char('\t')) && !field.contains(QLatin1Char('\n')) &&
            !field.contains(QLatin1Char('\r'))) {
            line += field;
            continue;
        }
        for (const QChar c : field) {
            switch (c.unicode()) {
                case u'\t':
                    line += QLatin1String("\\t");
                    break;
                case u'\n':
                    line += QLatin1String("\\n");
                    break;
                case u'\r':
                    line += QLatin1String("\\r");
                    break;
                default:
                    line += c;
                    break;
            }
        }
    }
    line += QLatin1Char('\n');
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

int printUsage(const QString& text) {
    std::fprintf(stderr, "%s\n", qUtf8Printable(text));
    return kProbeUsage;
}
