#pragma once

#include <QString>
#include <QtGlobal>

// What the patrol needs of the ticker.
class TickerControl {
public:
    virtual ~TickerControl() = default;
    virtual void ShowForm(qint16 intTickerModeSet) = 0;
    virtual void ResetTicker() = 0;
};

// The main window's status bar.
class StatusSink {
public:
    virtual ~StatusSink() = default;
    virtual void SetStatus(const QString& strValue) = 0;
};

// What other windows need of the patrol window.
class PatrolControl {
public:
    virtual ~PatrolControl() = default;
    // One walk over the site table; see frmTask::LoadRdf.
    virtual qint16 LoadRdf(qint16 intNextKey, bool blnFullFlg) = 0;
    // A patrol in the current mode, now.
    virtual void RssRefresh() = 0;
};
