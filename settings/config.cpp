#include "settings/config.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <QFileInfo>

#include "core/appstate.h"
#include "platform/inifile.h"
#include "platform/screeninfo.h"

namespace {

QString configPath(const AppState& state) {
    return state.programFile(QStringLiteral("config.ini"));
}

// Text values are single lines in the file; a line break would end the value and start a
// line of its own, so it is dropped.
QString singleLine(QString text) {
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    return text;
}

}  // namespace

QString floatText(float value) {
    if (value == 0.0f) {
        return QStringLiteral("0");  // also for -0
    }
    const QString general = QString::number(double(value), 'g', 7);
    if (!general.contains(QLatin1Char('e')) || !std::isfinite(value)) {
        return general;
    }
    // Outside 1e-4 .. 1e7 the general form switches to an exponent; write the same seven
    // digits in positional form instead. One decimal more than needed guards against
    // log10 landing just beside a power of ten; the trailing zeros are cut below.
    const double rounded = general.toDouble();
    const int exponent = int(std::floor(std::log10(std::fabs(rounded))));
    QString fixed = QString::number(rounded, 'f', std::max(0, 7 - exponent));
    if (fixed.contains(QLatin1Char('.'))) {
        while (fixed.endsWith(QLatin1Char('0'))) {
            fixed.chop(1);
        }
        if (fixed.endsWith(QLatin1Char('.'))) {
            fixed.chop(1);
        }
    }
    return fixed;
}

QString IniValueText(const QByteArray& buffer, qsizetype count) {
    QString text = QString::fromUtf8(buffer.left(count));
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ') {
        ++begin;
    }
    while (end > begin && text[end - 1] == u' ') {
        --end;
    }
    return text.mid(begin, end - begin);
}

QString FlagText(bool value) {
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

void InitDefaults(AppState& state) {
    state.settings = Settings{};
    state.settings.TICKER_LEFT = float(state.seams.screen.widthTwips() - kTickerDefaultLeftInset);
    state.settings.FlatMode = false;
    state.blnSiteListFlg = false;
    state.NewsQueue.clear();
    state.ListArticles.clear();
}

bool LoadSettings(AppState& state) {
    const QString path = configPath(state);
    if (!QFileInfo(path).isFile()) {
        return false;
    }
    // A file that exists but cannot be read leaves every field as it was.
    IniFile ini;
    ini.load(path);

    const QString section = state.exeBaseName();
    const auto text = [&](QStringView key) -> std::optional<QString> {
        const QByteArray buffer = ini.value(section, key);
        if (buffer.isEmpty()) {
            return std::nullopt;
        }
        return IniValueText(buffer, buffer.size());
    };
    const auto readShort = [&](QStringView key, qint16& field, qint32 min = -32768) {
        if (const auto value = text(key)) {
            if (const auto number = textToInteger(*value, min, 32767)) {
                field = qint16(*number);
            }
        }
    };
    const auto readLong = [&](QStringView key, qint32& field) {
        if (const auto value = text(key)) {
            if (const auto number = textToInteger(*value, std::numeric_limits<qint32>::min(),
                                                  std::numeric_limits<qint32>::max())) {
                field = *number;
            }
        }
    };
    const auto readFlag = [&](QStringView key, bool& field) {
        if (const auto value = text(key)) {
            if (const auto flag = textToFlag(*value)) {
                field = *flag;
            }
        }
    };
    const auto readFloat = [&](QStringView key, float& field) {
        if (const auto value = text(key)) {
            if (const auto number = textToFloat(*value)) {
                field = *number;
            }
        }
    };

    // APP_PATH is written for the reader's information only: the program directory is where
    // the executable runs, never what the file says, so the key is not read.
    Settings& s = state.settings;
    if (const auto value = text(u"OPML_PATH")) {
        s.OPML_PATH = *value;
    }
    readShort(u"TICKER_MODE", s.TICKER_MODE);
    readFlag(u"AUTO_LOAD_FLG", s.AUTO_LOAD_FLG);
    readFlag(u"CHECKED_HIDE_FLG", s.CHECKED_HIDE_FLG);
    readFlag(u"OLD_HIDE_FLG", s.OLD_HIDE_FLG);
    // Spelt as existing config.ini files hold these keys; a corrected key would not be found.
    readShort(u"LIMIT_HOURES", s.LIMIT_HOURES);
    readShort(u"AUTO_PIROT_MINITS", s.AUTO_PIROT_MINITS);
    readShort(u"AUTO_PIROT_MODE", s.AUTO_PIROT_MODE);
    // The article timer runs NEWS_INTERVAL seconds and the slide divides by
    // NEWS_SCROLL_SPEED: below 1, a hand-edited file would make the ticker spin or divide by
    // zero, so such values keep what the field holds.
    readShort(u"NEWS_INTERVAL", s.NEWS_INTERVAL, 1);
    readShort(u"NEWS_SCROLL_SPEED", s.NEWS_SCROLL_SPEED, 1);
    readShort(u"TICKER_TRANSPARENCY_LEVEL", s.TICKER_TRANSPARENCY_LEVEL);
    readLong(u"TICKER_TOPMOST_FLG", s.TICKER_TOPMOST_FLG);
    readShort(u"TICKER_MARGIN_TOP", s.TICKER_MARGIN_TOP);
    readLong(u"TICKER_BACK_COLOR", s.TICKER_BACK_COLOR);
    readLong(u"TICKER_FORE_COLOR", s.TICKER_FORE_COLOR);
    readFloat(u"TICKER_LEFT", s.TICKER_LEFT);
    readFloat(u"TICKER_TOP", s.TICKER_TOP);
    return true;
}

QStringList settingsLines(const AppState& state) {
    QString programDir = state.paths.programDir;
    while (programDir.size() > 1 &&
           (programDir.endsWith(QLatin1Char('/')) || programDir.endsWith(QLatin1Char('\\')))) {
        programDir.chop(1);
    }
    const Settings& s = state.settings;
    const auto line = [](const char* key, const QString& value) {
        return QLatin1String(key) + QLatin1Char('=') + value;
    };
    return {
        line("APP_PATH", singleLine(programDir)),
        line("OPML_PATH", singleLine(s.OPML_PATH)),
        line("TICKER_MODE", QString::number(s.TICKER_MODE)),
        line("AUTO_LOAD_FLG", FlagText(s.AUTO_LOAD_FLG)),
        line("CHECKED_HIDE_FLG", FlagText(s.CHECKED_HIDE_FLG)),
        line("OLD_HIDE_FLG", FlagText(s.OLD_HIDE_FLG)),
        // The keys' spelling is what readers of config.ini expect; keep it.
        line("LIMIT_HOURES", QString::number(s.LIMIT_HOURES)),
        line("AUTO_PIROT_MINITS", QString::number(s.AUTO_PIROT_MINITS)),
        line("AUTO_PIROT_MODE", QString::number(s.AUTO_PIROT_MODE)),
        line("NEWS_INTERVAL", QString::number(s.NEWS_INTERVAL)),
        line("NEWS_SCROLL_SPEED", QString::number(s.NEWS_SCROLL_SPEED)),
        line("TICKER_TRANSPARENCY_LEVEL", QString::number(s.TICKER_TRANSPARENCY_LEVEL)),
        line("TICKER_TOPMOST_FLG", QString::number(s.TICKER_TOPMOST_FLG)),
        line("TICKER_MARGIN_TOP", QString::number(s.TICKER_MARGIN_TOP)),
        line("TICKER_BACK_COLOR", QString::number(s.TICKER_BACK_COLOR)),
        line("TICKER_FORE_COLOR", QString::number(s.TICKER_FORE_COLOR)),
        line("TICKER_LEFT", floatText(s.TICKER_LEFT)),
        line("TICKER_TOP", floatText(s.TICKER_TOP)),
    };
}

bool SaveSettings(const AppState& state) {
    QStringList lines{QLatin1Char('[') + state.exeBaseName() + QLatin1Char(']')};
    lines += settingsLines(state);
    return IniFile::write(configPath(state), lines);
}
