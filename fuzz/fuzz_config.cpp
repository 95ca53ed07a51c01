// Reading any bytes as config.ini over the defaults, then writing the settings back.

#include <cstddef>
#include <cstdint>

#include "fuzzprogram.h"
#include "settings/config.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzProgram program;
    program.write(QStringLiteral("config.ini"), data, size);
    InitDefaults(program.state());
    LoadSettings(program.state());
    (void)settingsLines(program.state());
    return 0;
}
