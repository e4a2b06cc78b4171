// libFuzzer entry: any bytes as a command line and as an argument text.
#include <cstdio>
#include <cstdlib>

#include "tests/windows/shell/command_line/command_line_properties.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (const char* failure = CheckCommandLineProperties(data, size)) {
        std::fprintf(stderr, "property failed: %s\n", failure);
        std::abort();
    }
    return 0;
}
