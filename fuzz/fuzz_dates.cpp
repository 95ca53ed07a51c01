// A feed's date text, normalised, read and shown as the patrol and the ticker do.

#include <QString>
#include <cstddef>
#include <cstdint>

#include "patrol/formats/feeddates.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QDateTime date = parseFeedDate(NormalizeRssDate(text));
    const QString shown = FormatNewsDate(date);
    // A date that was read is always shown, and nothing else is.
    if (date.isValid() == shown.isEmpty()) {
        __builtin_trap();
    }
    return 0;
}
