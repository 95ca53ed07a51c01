#pragma once

#include <QString>
#include <QtGlobal>

// The one settings record. Fields carry their config.ini keys as names; flags are bools
// here and "1"/"0" in the file.
struct Settings {
    QString OPML_PATH;
    qint16 TICKER_MODE = 0;                  // 0 always shown, 1 pop-up
    bool AUTO_LOAD_FLG = true;               // show the ticker at start-up
    bool CHECKED_HIDE_FLG = false;           // don't queue articles already shown
    bool OLD_HIDE_FLG = true;                // don't queue articles older than LIMIT_HOURES
    qint16 LIMIT_HOURES = 12;                // hours; spelt as in config.ini files, keep
    qint16 AUTO_PIROT_MINITS = 2;            // minutes between patrols; config.ini's spelling
    qint16 AUTO_PIROT_MODE = 0;              // 0 one site per patrol, 2 all; config.ini's spelling
    qint16 NEWS_INTERVAL = 8;                // seconds per article; never below 1
    qint16 NEWS_SCROLL_SPEED = 15;           // animation step count; never below 1
    qint16 TICKER_TRANSPARENCY_LEVEL = 100;  // percent, 100 opaque
    qint32 TICKER_TOPMOST_FLG = -1;          // -1 above other windows, -2 not
    qint16 TICKER_MARGIN_TOP = 520;          // twips from the top of the screen (pop-up)
    qint32 TICKER_BACK_COLOR = 0;            // 0x00BBGGRR
    qint32 TICKER_FORE_COLOR = 16777215;     // 0x00BBGGRR
    float TICKER_LEFT = 0;                   // twips (always-shown mode)
    float TICKER_TOP = 520;                  // twips (always-shown mode)

    // Not stored: the ticker settings dialog's flat-mode box, for this run only.
    bool FlatMode = false;
};

// Twips the ticker's default left edge lies left of the screen's right edge.
inline constexpr int kTickerDefaultLeftInset = 7200;
