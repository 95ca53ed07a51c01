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
    // Written through a pointer into room for the worst case (every character escaped): the
    // probe prints a line for each of up to 32,767 entries.
    qsizetype room = fields.size() + 1;
    for (const QString& field : fields) {
        room += 2 * field.size();
    }
    QString line(room, Qt::Uninitialized);
    QChar* w = line.data();
    const auto escape = [&w](char c) {
        *w++ = QLatin1Char('\\');
        *w++ = QLatin1Char(c);
    };
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            *w++ = QLatin1Char('\t');
        }
        for (const QChar c : fields.at(i)) {
            switch (c.unicode()) {
                case u'\t':
                    escape('t');
                    break;
                case u'\n':
                    escape('n');
                    break;
                case u'\r':
                    escape('r');
                    break;
                default:
                    *w++ = c;
                    break;
            }
        }
    }
    *w++ = QLatin1Char('\n');
    line.truncate(w - line.constData());
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

int printUsage(const QString& text) {
    std::fprintf(stderr, "%s\n", qUtf8Printable(text));
    return kProbeUsage;
}
