#pragma once

#include <QString>
#include <QtGlobal>

// Modes are values of their own; the numbers config.ini holds for them are known only where
// the file is read and written (settings/settingstable). A switch over a mode names every
// value and has no default, so the compiler lists each place that a new value must reach.

// TICKER_MODE: where the ticker stays and how it comes and goes.
enum class TickerMode {
    AlwaysShown,  // stays where it was put (0)
    PopUp,        // slides in when news arrives, out after one round (1)
};

// The showing that ShowForm starts: the user's (cycles until closed) or the patrol's in
// pop-up mode (one round, then the ticker hides).
enum class ShowMode {
    Permanent,
    OneRound,
};

// AUTO_PIROT_MODE (config.ini's spelling).
enum class PatrolMode {
    OneSite,       // up to the first site with news per patrol (0)
    NeverOffered,  // only a hand-edited file holds it: the ticks run, nothing is fetched (1)
    AllSites,      // every site per patrol (2)
};

// TICKER_TOPMOST_FLG: the ticker's z-order.
enum class TickerStacking {
    AboveOthers,  // -1
    Normal,       // -2: other windows may cover it
};

// TICKER_PLACEMENT: the window where it was put or slid in, or a band along a screen edge.
enum class TickerPlacement {
    Window,
    DockedTop,
    DockedBottom,
};

// TICKER_MARQUEE: how headlines come on: wiped in one at a time, or a continuous line. The
// file keeps a kind as its place here (0, 1, ...): a new kind comes last, and the count
// below names it.
enum class TickerPresentationKind {
    Wipe,
    Marquee,
};
inline constexpr int kTickerPresentationKinds = int(TickerPresentationKind::Marquee) + 1;

// The showing a patrol starts in a ticker mode.
[[nodiscard]] constexpr ShowMode patrolShowMode(TickerMode mode) {
    switch (mode) {
        case TickerMode::AlwaysShown:
            return ShowMode::Permanent;
        case TickerMode::PopUp:
            return ShowMode::OneRound;
    }
    return ShowMode::Permanent;
}

[[nodiscard]] constexpr bool isDocked(TickerPlacement placement) {
    switch (placement) {
        case TickerPlacement::Window:
            return false;
        case TickerPlacement::DockedTop:
        case TickerPlacement::DockedBottom:
            return true;
    }
    return false;
}

// The one settings record. Fields carry their config.ini keys as names; flags are bools
// here and "1"/"0" in the file. The initialisers are the defaults; settings/settingstable
// lists every stored field with its key, bounds and place in the file.
struct Settings {
    QString OPML_PATH;
    TickerMode TICKER_MODE = TickerMode::AlwaysShown;
    bool AUTO_LOAD_FLG = true;      // show the ticker at start-up
    bool CHECKED_HIDE_FLG = false;  // don't queue articles already shown
    bool OLD_HIDE_FLG = true;       // don't queue articles older than LIMIT_HOURES
    qint16 LIMIT_HOURES = 12;       // hours; spelt as in config.ini files, keep
    qint16 AUTO_PIROT_MINITS = 2;   // minutes between patrols; config.ini's spelling
    PatrolMode AUTO_PIROT_MODE = PatrolMode::OneSite;
    qint16 NEWS_INTERVAL = 8;                // seconds per article; never below 1
    qint16 NEWS_SCROLL_SPEED = 15;           // animation step count; never below 1
    qint16 TICKER_TRANSPARENCY_LEVEL = 100;  // percent, 100 opaque
    TickerStacking TICKER_TOPMOST_FLG = TickerStacking::AboveOthers;
    qint16 TICKER_MARGIN_TOP = 520;       // twips from the top of the screen (pop-up)
    qint32 TICKER_BACK_COLOR = 0;         // 0x00BBGGRR
    qint32 TICKER_FORE_COLOR = 16777215;  // 0x00BBGGRR
    float TICKER_LEFT = 0;                // twips (always-shown mode)
    float TICKER_TOP = 520;               // twips (always-shown mode)

    // Written after the lines above, and only when they differ from these defaults.
    TickerPlacement TICKER_PLACEMENT = TickerPlacement::Window;
    // QScreen::name() of the ticker's screen; empty for the primary screen. A name that is
    // not connected stands for the primary screen and is kept, for when it comes back.
    QString TICKER_SCREEN;
    TickerPresentationKind TICKER_MARQUEE = TickerPresentationKind::Wipe;
    // Each new headline is read aloud, its site's title first.
    bool TICKER_SPEAK = false;
    // Sites' icons are fetched and shown beside their titles and headlines.
    bool SITE_ICONS = true;

    // Not stored: the ticker settings dialog's flat-mode box, for this run only.
    bool FlatMode = false;
};

// Twips the ticker's default left edge lies left of the screen's right edge.
inline constexpr int kTickerDefaultLeftInset = 7200;
