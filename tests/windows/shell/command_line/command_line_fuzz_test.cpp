// A long seeded run of arbitrary command lines through the readers: no crash, and every property holds.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "tests/windows/shell/command_line/command_line_properties.h"

namespace {

TEST(CommandLineFuzz, ArbitraryBytesKeepEveryProperty)
{
    // Half the bytes come from the ones the readers look at, so that switches, numbers, quotes and
    // double-byte characters meet often; the rest are any byte, NUL included.
    static const char interesting[] = " -/:\"\t\x01\x81\x82\x9f\xe0\xfc\x80\xff"
                                      "0123456789SsPpLlCcAaXx";
    std::mt19937 random(20261207);
    constexpr int runs = 1000000;
    uint8_t data[72];
    for (int run = 0; run < runs; ++run) {
        size_t size = random() % sizeof(data);
        for (size_t i = 0; i < size; ++i) {
            uint32_t draw = random();
            data[i] = (draw & 1) != 0 ? static_cast<uint8_t>(interesting[(draw >> 1) % (sizeof(interesting) - 1)])
                                      : static_cast<uint8_t>(draw >> 8);
        }
        const char* failure = CheckCommandLineProperties(data, size);
        if (failure != nullptr) {
            FAIL() << failure << " for the bytes " << ::testing::PrintToString(std::string(data, data + size));
        }
    }
}

} // namespace
