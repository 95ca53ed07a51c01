#pragma once

#include "patrol/patrolhost.h"

// A ticker and a status bar that take what the patrol tells them and show nothing.
class NullTicker final : public TickerControl {
public:
    void ShowForm(ShowMode) override {}
    void ResetTicker() override {}
    void queueEntriesMoved(const QList<int>&) override {}
};

class NullStatus final : public StatusSink {
public:
    void SetStatus(const QString&) override {}
};
