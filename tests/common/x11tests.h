#pragma once

#include <QString>

// Why the test executable has no X server of its own (empty when it has one).
[[nodiscard]] QString whyNoXServer();
