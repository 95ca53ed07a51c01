#pragma once

#include "platform/screeninfo.h"

// The primary screen's geometry as the desktop reports it now, 15 twips to a
// device-independent pixel.
class DesktopScreen final : public ScreenInfo {
public:
    [[nodiscard]] int widthTwips() const override;
    [[nodiscard]] int heightTwips() const override;
};
