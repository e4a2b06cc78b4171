// Tests of the command-line reading: decimal handles, the program name and every switch.
#include "windows/shell/command_line.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/windows/shell/command_line/command_line_properties.h"

namespace {

TEST(CommandLine, ParseDecimalReadsLeadingDigitsModulo2To32)
{
    struct Case {
        const char* text;
        uint32_t value;
    };
    const Case cases[] = {
        {"12ab", 12},
        {"", 0},
        {"4294967296", 0}, // 2^32 wraps
        {"4294967295", 4294967295u},
        {"4294967306", 10},
        {"99999999999", 1215752191}, // 99999999999 mod 2^32
        {"007", 7},
        {"1234 5678", 1234},
        {" 12", 0}, // no skipping of blanks
        {"-5", 0},  // no sign
        {"+5", 0},
        {"\x82\x4f", 0}, // a full-width digit in Shift-JIS
        {"1\xb2", 1},    // bytes above 0x7F end the number
        {"12:34", 12},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseDecimal(c.text), c.value) << c.text;
    }
}

TEST(CommandLine, SkipProgramNameFindsTheArgumentText)
{
    struct Case {
        const char* line;
        const char* arguments;
    };
    const Case cases[] = {
        {"\"C:\\Program Files\\Orvelle.scr\" /s", "/s"},
        {"\"C:\\Program Files\\Orvelle.scr\"/s", "/s"},
        {"C:\\WINDOWS\\ORVELLE.SCR /p 1234", "/p 1234"},
        {"C:\\Program Files\\Orvelle.scr /s", "Files\\Orvelle.scr /s"}, // unquoted: ends at the first blank
        {"Orvelle.scr", ""},
        {"Orvelle.scr   ", ""},
        {"Orvelle.scr\t\x01\x1f /c", "/c"}, // 0x01 to 0x20 are blanks
        {"\"Orvelle.scr", ""},              // no closing quote: everything is the name
        {"\"\" /s", "/s"},
        {"\"a b\"\"c\" /s", "\"c\" /s"}, // only the first quoted part is the name
        {"", ""},
        {"   /s", "/s"}, // no name at all
        {"\xff\xfe /a", "/a"},
        // Shift-JIS: a lead byte takes the byte after it along, even a quote or a blank.
        {"\"\x81\"abc\" /s", "/s"},
        {"ab\x81 /s", ""},
        {"\"\x95\x5c\x8e\xa6\" /s", "/s"}, // a trail byte 0x5C
        {"\"ab\x81", ""},                  // a lead byte before the end does not pass it
        {"ab\x81", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(std::string(SkipProgramName(c.line, NextShiftJisCharacter)), c.arguments) << c.line;
    }
}

const char* ModeName(SaverMode mode)
{
    switch (mode) {
    case SaverMode::aboutUnowned: return "about without owner";
    case SaverMode::fullScreen: return "full screen";
    case SaverMode::preview: return "preview";
    case SaverMode::configure: return "configure";
    case SaverMode::changePassword: return "change password";
    case SaverMode::refused: return "refused";
    }
    return "?";
}

TEST(CommandLine, ReadSaverSwitchFollowsTheSwitchTable)
{
    struct Case {
        const char* text;
        int32_t win9x;
        SaverMode mode;
        uint32_t window;
    };
    const Case cases[] = {
        {"", 0, SaverMode::aboutUnowned, 0},
        {"  - / -", 0, SaverMode::aboutUnowned, 0},
        {"/s", 0, SaverMode::fullScreen, 0},
        {"-S", 0, SaverMode::fullScreen, 0},
        {"s", 1, SaverMode::fullScreen, 0},
        {"/ /s", 0, SaverMode::fullScreen, 0},
        {"/s 1234", 0, SaverMode::fullScreen, 0},
        {"/screen", 0, SaverMode::fullScreen, 0},
        {"/p 1234", 0, SaverMode::preview, 1234},
        {"/p1234", 0, SaverMode::preview, 1234},
        {"/P   1234", 1, SaverMode::preview, 1234},
        {"/l 1234", 0, SaverMode::preview, 1234},
        {"L1234", 0, SaverMode::preview, 1234},
        {"/p:1234", 0, SaverMode::preview, 0},
        {"/p\t1234", 0, SaverMode::preview, 0}, // only 0x20 is skipped before the number
        {"/p", 0, SaverMode::preview, 0},
        {"/p 4294967296", 0, SaverMode::preview, 0},
        {"/c:1234", 0, SaverMode::configure, 1234},
        {"/C:1234", 1, SaverMode::configure, 1234},
        {"/c 1234", 0, SaverMode::configure, 0},
        {"/c", 0, SaverMode::configure, 0},
        {"/c: 1234", 0, SaverMode::configure, 0},
        {"/c::1234", 0, SaverMode::configure, 0},
        {"/a 1234", 1, SaverMode::changePassword, 1234},
        {"-A1234", 1, SaverMode::changePassword, 1234},
        {"/a", 1, SaverMode::changePassword, 0},
        {"/a:1234", 1, SaverMode::changePassword, 0},
        {"/a 1234", 0, SaverMode::refused, 0},
        {"/A", 0, SaverMode::refused, 0},
        {"/x", 0, SaverMode::refused, 0},
        {"/\t/s", 0, SaverMode::refused, 0},
        {"\t/s", 0, SaverMode::refused, 0},
        {"1234", 0, SaverMode::refused, 0},
        {"/\x01", 0, SaverMode::refused, 0},
        {"/\x82\x72", 0, SaverMode::refused, 0}, // a full-width S in Shift-JIS
        {"/\xd3", 1, SaverMode::refused, 0},     // 0xD3 is not 'S' + 0x80
        {"/\xe1", 1, SaverMode::refused, 0},
        {":1234", 0, SaverMode::refused, 0},
    };
    for (const Case& c : cases) {
        SaverSwitch request = ReadSaverSwitch(c.text, c.win9x);
        EXPECT_STREQ(ModeName(request.mode), ModeName(c.mode)) << c.text << " on win9x=" << c.win9x;
        EXPECT_EQ(request.window, c.window) << c.text << " on win9x=" << c.win9x;
    }
}

} // namespace
