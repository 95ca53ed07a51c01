// Any bytes read as a site list; what is written of a list that was read must read back
// and write again to the same bytes. The plain scan may read only what the XML reader reads,
// and must read the same from it.

#include <cstddef>
#include <cstdint>

#include "fuzzprogram.h"
#include "sitelist/opml.h"
#include "sitelist/opmlreader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzProgram program;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<OpmlList> scanned = readPlainOpml(bytes);
    OpmlList list = readOpmlWithXmlReader(bytes);
    if (scanned && (!list.ok || !sameEntries(*scanned, list))) {
        __builtin_trap();
    }
    if (!list.ok) {
        return 0;
    }
    AppState& state = program.state();
    applyOpml(state, std::move(list));
    const std::optional<QByteArray> written = opmlBytes(state);
    if (!written) {
        return 0;  // a tree the file format cannot hold is refused, never written half
    }
    OpmlList again = readOpml(*written);
    if (!again.ok) {
        __builtin_trap();
    }
    applyOpml(state, std::move(again));
    if (opmlBytes(state) != written) {
        __builtin_trap();
    }
    return 0;
}
