#include "settings/config.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <QFileInfo>

#include "core/appstate.h"
#include "platform/files/inifile.h"
#include "platform/desktop/screeninfo.h"
#include "settings/settingstable.h"

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

QLatin1String keyText(const SettingRow& row) {
    return QLatin1String(row.key.data(), qsizetype(row.key.size()));
}

template <class... Fs>
struct Overloaded : Fs... {
    using Fs::operator()...;
};
template <class... Fs>
Overloaded(Fs...) -> Overloaded<Fs...>;

qint32 lowest(const SettingRow& row, qint32 typeMinimum) {
    return row.file ? row.file->minimum : typeMinimum;
}
qint32 highest(const SettingRow& row, qint32 typeMaximum) {
    return row.file ? row.file->maximum : typeMaximum;
}

// Converts a value text to the field's type and stores it; false when it does not convert
// or lies outside the values the file may hold (the field is then left as it was).
bool readSetting(const SettingRow& row, Settings& s, const QString& text) {
    constexpr qint32 int32Min = std::numeric_limits<qint32>::min();
    constexpr qint32 int32Max = std::numeric_limits<qint32>::max();
    const auto integer = [&](qint32 typeMinimum, qint32 typeMaximum) {
        return textToInteger(text, lowest(row, typeMinimum), highest(row, typeMaximum));
    };
    const auto store = [](auto& field, const auto& value) {
        if (value) {
            field = std::remove_reference_t<decltype(field)>(*value);
        }
        return value.has_value();
    };
    return std::visit(
        Overloaded{
            [](ProgramDirField) { return false; },
            [&](QString Settings::*field) {
                s.*field = text;
                return true;
            },
            [&](bool Settings::*field) { return store(s.*field, textToFlag(text)); },
            [&](qint16 Settings::*field) { return store(s.*field, integer(-32768, 32767)); },
            [&](qint32 Settings::*field) { return store(s.*field, integer(int32Min, int32Max)); },
            [&](float Settings::*field) { return store(s.*field, textToFloat(text)); },
            [&](const ModeField& field) {
                const std::optional<qint32> code = integer(int32Min, int32Max);
                return code && field.setCode(s, *code);
            },
        },
        row.field);
}

// A field's value as config.ini holds it.
QString settingText(const SettingRow& row, const Settings& s, const QString& programDir) {
    return std::visit(Overloaded{
                          [&](ProgramDirField) { return singleLine(programDir); },
                          [&](QString Settings::*field) { return singleLine(s.*field); },
                          [&](bool Settings::*field) { return FlagText(s.*field); },
                          [&](qint16 Settings::*field) { return QString::number(s.*field); },
                          [&](qint32 Settings::*field) { return QString::number(s.*field); },
                          [&](float Settings::*field) { return floatText(s.*field); },
                          [&](const ModeField& field) { return QString::number(field.code(s)); },
                      },
                      row.field);
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
    bool placed = false;
    for (const SettingRow& row : kSettingsTable) {
        const QByteArray buffer = ini.value(section, QString(keyText(row)));
        if (buffer.isEmpty()) {
            continue;
        }
        const bool read = readSetting(row, state.settings, IniValueText(buffer, buffer.size()));
        placed = placed || (read && (row.key == "TICKER_LEFT" || row.key == "TICKER_TOP"));
    }
    // A ticker never moved yet first appears on its own screen, where the primary screen
    // would have put it.
    if (!placed && !state.settings.TICKER_SCREEN.isEmpty()) {
        const ScreenDesc screen = chosenScreen(state.seams.screen, state.settings.TICKER_SCREEN);
        state.settings.TICKER_LEFT = float(
            pixelsToTwips(screen.pixels.x() + screen.pixels.width()) - kTickerDefaultLeftInset);
        state.settings.TICKER_TOP = float(pixelsToTwips(screen.pixels.y()) + Settings{}.TICKER_TOP);
    }
    return true;
}

QStringList settingsLines(const AppState& state) {
    QString programDir = state.paths.programDir;
    while (programDir.size() > 1 &&
           (programDir.endsWith(QLatin1Char('/')) || programDir.endsWith(QLatin1Char('\\')))) {
        programDir.chop(1);
    }
    const Settings defaults;
    QStringList lines;
    for (const SettingRow& row : kSettingsTable) {
        const QString value = settingText(row, state.settings, programDir);
        if (row.line == SettingLine::WhenNotDefault &&
            value == settingText(row, defaults, programDir)) {
            continue;
        }
        lines.append(keyText(row) + QLatin1Char('=') + value);
    }
    return lines;
}

bool SaveSettings(const AppState& state, QString* error) {
    QStringList lines{QLatin1Char('[') + state.exeBaseName() + QLatin1Char(']')};
    lines += settingsLines(state);
    return IniFile::write(configPath(state), lines, error);
}
