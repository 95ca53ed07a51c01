#pragma once

#include "ticker/tickerhost.h"

// A ticker host for the screenshot tools: the buttons' windows are not wanted there.
class NoTickerHost final : public TickerHost {
public:
    void openArticleList() override {}
    void closeArticleList() override {}
    void openTickerSettings() override {}
};
