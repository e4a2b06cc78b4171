// The strict command-line numbers of the X11 saver and the render tool, at their boundaries.
#include <gtest/gtest.h>

#include <string_view>

#include "host_rules/number_reading.h"

namespace {

TEST(NumberReading, TakesTheWholeTextUpTo32BitsAndWindowIdsAboveZero)
{
    enum Reader { decimal, hex, windowId };
    struct Case {
        Reader reader;
        std::string_view text; // a view, so that a row can end inside a longer string
        bool taken;
        uint32_t value;
    };
    const Case cases[] = {
        {decimal, "0", true, 0},
        {decimal, "007", true, 7},
        {decimal, "4294967295", true, 0xFFFFFFFF},
        {decimal, "00000000004294967295", true, 0xFFFFFFFF}, // leading zeros do not count as size
        {decimal, "4294967296", false, 0},
        {decimal, "99999999999999999999999", false, 0}, // far past 64 bits too
        {decimal, "", false, 0},
        {decimal, "9", true, 9},    // the largest digit
        {decimal, "12a", false, 0}, // hex digits are no decimal digits: the one equal to the base
        {decimal, "12f", false, 0}, // and one above it
        {decimal, "-1", false, 0},
        {decimal, " 1", false, 0},
        {hex, "fF", true, 0xFF},
        {hex, "A", true, 0xA}, // the first capital digit
        {hex, "FFFFFFFF", true, 0xFFFFFFFF},
        {hex, "100000000", false, 0},
        {hex, "g", false, 0},
        {windowId, "4294967295", true, 0xFFFFFFFF}, // the largest id
        {windowId, "0xFFFFFFFF", true, 0xFFFFFFFF},
        {windowId, "0X1a", true, 0x1A},
        {windowId, "0x00000000ffffffff", true, 0xFFFFFFFF},
        {windowId, "12", true, 12},
        {windowId, "0", false, 0}, // no window
        {windowId, "0x0", false, 0},
        {windowId, "0x", false, 0},
        {windowId, {"0x12", 2}, false, 0}, // a bare 0x, digits only beyond the text
        {windowId, {"0x12", 1}, false, 0}, // a 0, the x only beyond the text
        {windowId, "", false, 0},
        {windowId, "0x100000000", false, 0},
        {windowId, "4294967296", false, 0},
        {windowId, "1a", false, 0}, // hex digits in a decimal
    };
    for (const Case& c : cases) {
        uint32_t value = 0;
        const bool taken =
            c.reader == windowId ? ReadWindowId(c.text, value) : ReadUnsigned(c.text, c.reader == hex ? 16 : 10, value);
        EXPECT_TRUE(taken == c.taken && value == c.value)
            << (c.reader == windowId ? "window id"
                : c.reader == hex    ? "hex"
                                     : "decimal")
            << " '" << c.text << "': got " << (taken ? "taken" : "refused") << ", " << value << "; expected "
            << (c.taken ? "taken" : "refused") << ", " << c.value;
    }
}

} // namespace
