#include "ui/language.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QRegularExpression>

#include "platform/files/paths.h"

namespace {

constexpr char kCatalogue[] = "quorvane3_";

}  // namespace

QString languageCode(const QString& uiLanguage) {
    const qsizetype end = uiLanguage.indexOf(QRegularExpression(QStringLiteral("[-_.@]")));
    return uiLanguage.left(end).toLower();
}

QString chooseUiLanguage(const QStringList& uiLanguages, const QStringList& available) {
    for (const QString& entry : uiLanguages) {
        const QString code = languageCode(entry);
        if (code == QLatin1String(kSourceLanguage) || available.contains(code)) {
            return code;
        }
    }
    return QLatin1String(kSourceLanguage);
}

QStringList translationFolders() {
    const QString exeDir = QCoreApplication::applicationDirPath();
    return {
        joinPath(exeDir,
                 QStringLiteral("../share/%1/translations").arg(QLatin1String(kInstalledShareDir))),
        joinPath(exeDir, QStringLiteral("translations"))};
}

QStringList availableTranslations(const QStringList& folders) {
    QStringList codes;
    const QString prefix = QLatin1String(kCatalogue);
    for (const QString& folder : folders) {
        const QStringList names =
            QDir(folder).entryList({prefix + QStringLiteral("*.qm")}, QDir::Files);
        for (const QString& name : names) {
            const QString code = name.mid(prefix.size()).chopped(3);
            if (!code.isEmpty() && !codes.contains(code)) {
                codes.append(code);
            }
        }
    }
    return codes;
}

UiTranslation::UiTranslation(const QString& language, const QStringList& folders)
    : spoken(QLatin1String(kSourceLanguage)) {
    if (language != spoken) {
        const QString name = QLatin1String(kCatalogue) + language;
        for (const QString& folder : folders) {
            if (own.load(name, folder)) {
                QCoreApplication::installTranslator(&own);
                spoken = language;
                break;
            }
        }
        if (spoken != language) {
            qWarning().noquote() << QStringLiteral("Quorvane3: no %1.qm in %2; speaking %3")
                                        .arg(name, folders.join(QLatin1String(", ")), spoken);
        }
    }
    // Qt's own texts are English in the source; every other language loads Qt's translation.
    if (spoken != QLatin1String("en") &&
        qt.load(QStringLiteral("qtbase_") + spoken,
                QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(&qt);
    }
}

UiTranslation::~UiTranslation() {
    QCoreApplication::removeTranslator(&qt);
    QCoreApplication::removeTranslator(&own);
}

QString systemUiLanguage(const QStringList& folders) {
    // As with gettext, LANGUAGE counts for nothing under the C (POSIX) locale.
    if (QLocale::system().language() == QLocale::C) {
        return QLatin1String(kSourceLanguage);
    }
    return chooseUiLanguage(QLocale::system().uiLanguages(), availableTranslations(folders));
}
