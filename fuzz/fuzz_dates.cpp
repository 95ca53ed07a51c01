// A feed's date text, normalised, read and shown as the patrol and the ticker do.

#include <QString>
#include <cstddef>
#include <cstdint>

#include "formats/feeddates.h"
#include "core/newsdate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QDateTime date = parseFeedDate(NormalizeRssDate(text));
    // A date that was read is always shown, in every form, and nothing else is.
    for (const NewsDateForm form : {NewsDateForm::YearFirstShort, NewsDateForm::Iso}) {
        if (date.isValid() == FormatNewsDate(date, form).isEmpty()) {
            __builtin_trap();
        }
    }
    return 0;
}
