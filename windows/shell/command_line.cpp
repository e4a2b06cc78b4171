// Reading the command line: the program name, the switch letter and the decimal window handles.
#include "windows/shell/command_line.h"

uint32_t ParseDecimal(const char* text)
{
    uint32_t value = 0;
    // Bytes are compared as signed 8-bit values, so bytes 0x80 to 0xFF are never digits.
    while (static_cast<int8_t>(*text) >= '0' && static_cast<int8_t>(*text) <= '9') {
        value = value * 10u + static_cast<uint32_t>(*text - '0');
        ++text;
    }
    return value;
}

const char* SkipProgramName(const char* commandLine, NextCharacterFunction next)
{
    const char* p = commandLine;
    if (*p == '"') {
        // A quoted name runs to the closing quote, which is skipped too; double-byte characters are stepped
        // over whole, so a trail byte is never taken for a quote.
        do {
            p = next(p);
        } while (*p != '\0' && *p != '"');
        if (*p == '"')
            ++p;
    } else if (static_cast<uint8_t>(*p) > 0x20) {
        while (static_cast<uint8_t>(*p) > 0x20)
            p = next(p);
    }
    // Bytes 0x01 to 0x20 are blanks.
    while (*p != '\0' && static_cast<uint8_t>(*p) <= 0x20)
        p = next(p);
    return p;
}

namespace {

// Steps over the spaces (0x20 only) between a switch letter and its number.
const char* SkipSpaces(const char* text)
{
    while (*text == ' ')
        ++text;
    return text;
}

} // namespace

SaverSwitch ReadSaverSwitch(const char* arguments, int32_t win9x)
{
    const char* cursor = arguments;
    for (;;) {
        // Signed, so that bytes 0x80 to 0xFF match no letter.
        switch (static_cast<int8_t>(*cursor)) {
        case ' ':
        case '-':
        case '/': ++cursor; break;
        case '\0': return {SaverMode::aboutUnowned, 0};
        case 'S':
        case 's': return {SaverMode::fullScreen, 0};
        case 'P':
        case 'p':
        case 'L':
        case 'l': return {SaverMode::preview, ParseDecimal(SkipSpaces(cursor + 1))};
        case 'C':
        case 'c':
            ++cursor;
            if (*cursor == ':')
                return {SaverMode::configure, ParseDecimal(cursor + 1)};
            return {SaverMode::configure, 0};
        case 'A':
        case 'a':
            if (win9x != 0)
                return {SaverMode::changePassword, ParseDecimal(SkipSpaces(cursor + 1))};
            return {SaverMode::refused, 0};
        default: return {SaverMode::refused, 0};
        }
    }
}
