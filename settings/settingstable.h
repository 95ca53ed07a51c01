#pragma once

#include <QtGlobal>
#include <optional>
#include <span>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>

#include "core/settings.h"

// Every stored setting in one table: its config.ini key, the field that holds it, whether it
// is one of the lines every config.ini holds, the values a read takes and the bounds a
// dialog keeps. The reader, the writer, the probe and the dialogs' clean-up rules all go by
// it. The defaults are the Settings record's initialisers.
//
// A new setting is a field in Settings and a row at the end of the table; a new mode is an
// enum in core/settings.h and a settingCode() below.

// ---- the numbers config.ini holds for the modes -------------------------------------------

// Each mode's number in config.ini. Nothing else turns a mode into a number.
[[nodiscard]] constexpr std::optional<qint32> settingCode(TickerMode value) {
    switch (value) {
        case TickerMode::AlwaysShown:
            return 0;
        case TickerMode::PopUp:
            return 1;
    }
    return std::nullopt;
}
[[nodiscard]] constexpr std::optional<qint32> settingCode(PatrolMode value) {
    switch (value) {
        case PatrolMode::OneSite:
            return 0;
        case PatrolMode::NeverOffered:
            return 1;
        case PatrolMode::AllSites:
            return 2;
    }
    return std::nullopt;
}
[[nodiscard]] constexpr std::optional<qint32> settingCode(TickerStacking value) {
    switch (value) {
        case TickerStacking::AboveOthers:
            return -1;
        case TickerStacking::Normal:
            return -2;
    }
    return std::nullopt;
}
[[nodiscard]] constexpr std::optional<qint32> settingCode(TickerPlacement value) {
    switch (value) {
        case TickerPlacement::Window:
            return 0;
        case TickerPlacement::DockedTop:
            return 1;
        case TickerPlacement::DockedBottom:
            return 2;
    }
    return std::nullopt;
}
[[nodiscard]] constexpr std::optional<qint32> settingCode(TickerPresentationKind value) {
    const auto code = qint32(value);
    return code >= 0 && code < kTickerPresentationKinds ? std::optional<qint32>(code)
                                                        : std::nullopt;
}

// The mode a number stands for; nothing when it stands for none. The modes' values are
// declared without numbers of their own, so they count 0, 1, ... up to the first that
// settingCode does not know.
template <class Mode>
[[nodiscard]] constexpr std::optional<Mode> modeFromSettingCode(qint32 code) {
    for (int k = 0;; ++k) {
        const std::optional<qint32> known = settingCode(static_cast<Mode>(k));
        if (!known) {
            return std::nullopt;
        }
        if (*known == code) {
            return static_cast<Mode>(k);
        }
    }
}

// ---- the table ----------------------------------------------------------------------------

// Bounds of a number setting; a dialog keeps multiples of step.
struct SettingRange {
    qint32 minimum = 0;
    qint32 maximum = 0;
    qint32 step = 1;
};

// A mode field, stored as its number.
struct ModeField {
    qint32 (*code)(const Settings&);
    // False when the number stands for no value of the mode; the field is then unchanged.
    bool (*setCode)(Settings&, qint32);
};

template <auto Member>
[[nodiscard]] constexpr ModeField modeField() {
    using Mode = std::remove_cvref_t<decltype(std::declval<Settings&>().*Member)>;
    return {[](const Settings& s) { return settingCode(s.*Member).value_or(0); },
            [](Settings& s, qint32 code) {
                const std::optional<Mode> mode = modeFromSettingCode<Mode>(code);
                if (mode) {
                    s.*Member = *mode;
                }
                return mode.has_value();
            }};
}

// APP_PATH: the program directory, written for the reader's information and never read back:
// the program's files are where the executable runs, whatever the file says.
struct ProgramDirField {};

using SettingField =
    std::variant<ProgramDirField, QString Settings::*, bool Settings::*, qint16 Settings::*,
                 qint32 Settings::*, float Settings::*, ModeField>;

enum class SettingLine {
    Always,          // one of the lines every config.ini holds, in table order
    WhenNotDefault,  // after those, only when it differs from its default
};

struct SettingRow {
    std::string_view key;
    SettingField field;
    SettingLine line = SettingLine::Always;
    // The numbers a read takes (the field's type's range when not given). Another value
    // leaves the field as it was: its default, as the file is read over the defaults.
    std::optional<SettingRange> file = std::nullopt;
    // What a dialog's clean-up keeps.
    std::optional<SettingRange> dialog = std::nullopt;
};

inline constexpr SettingRow kSettingsTable[] = {
    {"APP_PATH", ProgramDirField{}},
    {"OPML_PATH", &Settings::OPML_PATH},
    {"TICKER_MODE", modeField<&Settings::TICKER_MODE>()},
    {"AUTO_LOAD_FLG", &Settings::AUTO_LOAD_FLG},
    {"CHECKED_HIDE_FLG", &Settings::CHECKED_HIDE_FLG},
    {"OLD_HIDE_FLG", &Settings::OLD_HIDE_FLG},
    // The keys' spelling is what existing config.ini files hold; a corrected key would not
    // be found.
    {"LIMIT_HOURES", &Settings::LIMIT_HOURES, SettingLine::Always, {}, SettingRange{1, 48}},
    {"AUTO_PIROT_MINITS",
     &Settings::AUTO_PIROT_MINITS,
     SettingLine::Always,
     {},
     SettingRange{1, 60}},
    {"AUTO_PIROT_MODE", modeField<&Settings::AUTO_PIROT_MODE>()},
    // The article timer runs NEWS_INTERVAL seconds and the slide divides by
    // NEWS_SCROLL_SPEED: below 1, a hand-edited file would make the ticker spin or divide by
    // zero. The marquee's speed slider keeps 7 (fastest) to 60.
    {"NEWS_INTERVAL", &Settings::NEWS_INTERVAL, SettingLine::Always, SettingRange{1, 32767},
     SettingRange{3, 60}},
    {"NEWS_SCROLL_SPEED", &Settings::NEWS_SCROLL_SPEED, SettingLine::Always, SettingRange{1, 32767},
     SettingRange{7, 60}},
    {"TICKER_TRANSPARENCY_LEVEL",
     &Settings::TICKER_TRANSPARENCY_LEVEL,
     SettingLine::Always,
     {},
     SettingRange{10, 100, 5}},
    {"TICKER_TOPMOST_FLG", modeField<&Settings::TICKER_TOPMOST_FLG>()},
    // Twips; the dialog shows and takes it in units of 10 twips, up to what the screen allows.
    {"TICKER_MARGIN_TOP",
     &Settings::TICKER_MARGIN_TOP,
     SettingLine::Always,
     {},
     SettingRange{0, 32767, 10}},
    {"TICKER_BACK_COLOR", &Settings::TICKER_BACK_COLOR},
    {"TICKER_FORE_COLOR", &Settings::TICKER_FORE_COLOR},
    {"TICKER_LEFT", &Settings::TICKER_LEFT},
    {"TICKER_TOP", &Settings::TICKER_TOP},

    {"TICKER_PLACEMENT", modeField<&Settings::TICKER_PLACEMENT>(), SettingLine::WhenNotDefault},
    {"TICKER_SCREEN", &Settings::TICKER_SCREEN, SettingLine::WhenNotDefault},
    {"TICKER_MARQUEE", modeField<&Settings::TICKER_MARQUEE>(), SettingLine::WhenNotDefault},
    {"TICKER_SPEAK", &Settings::TICKER_SPEAK, SettingLine::WhenNotDefault},
    {"SITE_ICONS", &Settings::SITE_ICONS, SettingLine::WhenNotDefault},
};

// The row of a key. A key the table lacks stops the compilation where this is evaluated at
// compile time.
[[nodiscard]] consteval const SettingRow& settingRowOf(std::string_view key) {
    for (const SettingRow& row : kSettingsTable) {
        if (row.key == key) {
            return row;
        }
    }
    throw "no such setting";
}

// The bounds a dialog keeps for a key's field.
[[nodiscard]] consteval SettingRange dialogRange(std::string_view key) {
    return settingRowOf(key).dialog.value();
}
