#pragma once

#include <QtGlobal>

// Limits of one fetch over HTTP(S). Tests shorten the timeouts.
struct FetchOptions {
    int connectTimeoutMs = 10'000;
    int totalTimeoutMs = 30'000;
    qint64 maxBytes = 16 * 1024 * 1024;
    int maxRedirects = 10;
};
