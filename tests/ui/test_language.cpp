#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

#include "tests/common/builttranslations.h"
#include "ui/language.h"

namespace {

TEST(LanguageTest, TheFirstLanguageSpokenDecides) {
    const QStringList spoken = {QStringLiteral("en")};
    struct Case {
        QStringList uiLanguages;
        QStringList available;
        const char* chosen;
    };
    const QList<Case> cases = {
        {{QStringLiteral("en-US")}, spoken, "en"},
        {{QStringLiteral("en_GB.UTF-8")}, spoken, "en"},
        {{QStringLiteral("EN")}, spoken, "en"},
        {{QStringLiteral("ja-JP"), QStringLiteral("en-US")}, spoken, "ja"},
        {{QStringLiteral("de-DE"), QStringLiteral("en-US"), QStringLiteral("ja-JP")}, spoken, "en"},
        {{QStringLiteral("de-DE"), QStringLiteral("ja_JP.UTF-8"), QStringLiteral("en")},
         spoken,
         "ja"},
        // Nothing the program speaks, the C locale, nothing at all: Japanese.
        {{QStringLiteral("fr-FR")}, spoken, "ja"},
        {{QStringLiteral("C")}, spoken, "ja"},
        {{QStringLiteral("POSIX")}, spoken, "ja"},
        {{}, spoken, "ja"},
        // English only when its translation is there; another language once it is.
        {{QStringLiteral("en-US")}, {}, "ja"},
        {{QStringLiteral("fr-CA"), QStringLiteral("en")}, {"en", "fr"}, "fr"},
        // "eng" or "english" is not "en".
        {{QStringLiteral("english")}, spoken, "ja"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.uiLanguages.join(QLatin1Char(':')).toStdString());
        EXPECT_EQ(chooseUiLanguage(c.uiLanguages, c.available), QLatin1String(c.chosen));
    }
}

TEST(LanguageTest, InstallsTheProgramsTextsAndQtsOwn) {
    EXPECT_TRUE(availableTranslations(builtTranslations()).contains(QStringLiteral("en")));
    const QTemporaryDir empty;
    struct Case {
        const char* language;
        QStringList folders;
        const char* spoken;
        const char* exitCaption;
        const char* cancelButton;
    };
    const QList<Case> cases = {
        {"en", builtTranslations(), "en", "E&xit", "Cancel"},
        {"ja", builtTranslations(), "ja", "終了(&X)", "キャンセル"},
        // Without its translation, English falls back to Japanese, Qt's buttons included.
        {"en", {empty.path()}, "ja", "終了(&X)", "キャンセル"},
    };
    const auto exitCaption = [] { return QCoreApplication::translate("frmMain", "終了(&X)"); };
    const auto cancelButton = [] {
        return QCoreApplication::translate("QPlatformTheme", "Cancel");
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        {
            const UiTranslation translation(QLatin1String(c.language), c.folders);
            EXPECT_EQ(translation.language(), QLatin1String(c.spoken));
            EXPECT_EQ(exitCaption(), QString::fromUtf8(c.exitCaption));
            EXPECT_EQ(cancelButton(), QString::fromUtf8(c.cancelButton));
        }
        // Gone with the translation.
        EXPECT_EQ(exitCaption(), QStringLiteral("終了(&X)"));
        EXPECT_EQ(cancelButton(), QStringLiteral("Cancel"));
    }
}

// The %1 … %9 a text takes, and whether it carries an accelerator (&X, not &&).
QString argumentsOf(const QString& text) {
    QStringList found;
    const QRegularExpression argument(QStringLiteral("%[1-9]"));
    for (const QRegularExpressionMatch& m : argument.globalMatch(text)) {
        found.append(m.captured());
    }
    found.sort();
    QString plain = text;
    plain.remove(QStringLiteral("&&"));
    if (plain.contains(QRegularExpression(QStringLiteral("&[^ ;#]")))) {
        found.append(QStringLiteral("&"));
    }
    return found.join(QLatin1Char(' '));
}

// The text of the element the reader is at; lupdate writes a carriage return as
// <byte value="xd"/>.
QString elementText(QXmlStreamReader& xml) {
    QString text;
    int depth = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isCharacters()) {
            text += xml.text();
        } else if (xml.isStartElement()) {
            ++depth;
            if (xml.name() == QLatin1String("byte")) {
                text += QChar(xml.attributes().value(QLatin1String("value")).toUInt(nullptr, 16));
            }
        } else if (xml.isEndElement() && depth-- == 0) {
            break;
        }
    }
    return text;
}

struct Message {
    QString context;
    QString source;
    QString translation;
    QString type;
};

QList<Message> readTs(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    QList<Message> messages;
    QXmlStreamReader xml(&file);
    QString context;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) {
            continue;
        }
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("message")) {
            messages.append({context, {}, {}, {}});
        } else if (xml.name() == QLatin1String("source")) {
            messages.back().source = elementText(xml);
        } else if (xml.name() == QLatin1String("translation")) {
            messages.back().type = xml.attributes().value(QLatin1String("type")).toString();
            messages.back().translation = elementText(xml);
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return messages;
}

// Each translation, brought up to date with the sources as scripts/update-translations does
// it, holds every text with a finished translation that takes the same arguments and, where
// the source has one, an accelerator.
TEST(LanguageTest, EveryTextOfTheSourcesIsTranslated) {
    const QString source = QStringLiteral(QV_TEST_SOURCE_DIR);
    const QStringList names = QDir(source + QStringLiteral("/translations"))
                                  .entryList({QStringLiteral("quorvane3_*.ts")}, QDir::Files);
    ASSERT_FALSE(names.isEmpty());
    const QTemporaryDir temp;
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const QString updated = temp.filePath(name);
        ASSERT_TRUE(QFile::copy(source + QStringLiteral("/translations/") + name, updated));
        QProcess update;
        update.start(source + QStringLiteral("/scripts/update-translations"), {updated});
        ASSERT_TRUE(update.waitForFinished(120000));
        ASSERT_EQ(update.exitCode(), 0) << update.readAllStandardError().toStdString();

        QStringList unfinished;
        QStringList mismatched;
        for (const Message& m : readTs(updated)) {
            const QString where = m.context + QStringLiteral(": ") + m.source;
            if (!m.type.isEmpty() || m.translation.isEmpty()) {
                unfinished.append(where);
            } else if (argumentsOf(m.source) != argumentsOf(m.translation)) {
                mismatched.append(where + QStringLiteral(" → ") + m.translation);
            } else if (m.source == QLatin1String("help.html") ||
                       m.source == QLatin1String("index.html")) {
                EXPECT_TRUE(
                    QFile::exists(source + QStringLiteral("/resources/qvr3/") + m.translation))
                    << m.translation.toStdString();
            }
        }
        EXPECT_TRUE(unfinished.isEmpty()) << "not translated:\n"
                                          << unfinished.join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(mismatched.isEmpty()) << "arguments or accelerator differ:\n"
                                          << mismatched.join(QLatin1Char('\n')).toStdString();
    }
}

}  // namespace
