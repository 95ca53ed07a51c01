// Loading any bytes as a site list.

#include <cstddef>
#include <cstdint>

#include "fuzzprogram.h"
#include "sitelist/opml.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzProgram program;
    const QString path = program.write(QStringLiteral("input.opml"), data, size);
    (void)LoadOpml(program.state(), path);
    return 0;
}
