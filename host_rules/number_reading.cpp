// Strict reading of command-line numbers.
#include "host_rules/number_reading.h"

namespace {

// The digit's value, or base when ch is no digit of that base.
uint32_t DigitValue(char ch, uint32_t base)
{
    uint32_t digit = base;
    if (ch >= '0' && ch <= '9')
        digit = uint32_t(ch - '0');
    else if (ch >= 'a' && ch <= 'f')
        digit = uint32_t(ch - 'a' + 10);
    else if (ch >= 'A' && ch <= 'F')
        digit = uint32_t(ch - 'A' + 10);
    return digit < base ? digit : base;
}

} // namespace

bool ReadUnsigned(std::string_view text, uint32_t base, uint32_t& value)
{
    if (text.empty())
        return false;
    uint64_t result = 0;
    for (char ch : text) {
        const uint32_t digit = DigitValue(ch, base);
        if (digit == base)
            return false;
        // Checked after every digit, so the 64-bit sum never overflows however long the text.
        result = result * base + digit;
        if (result > 0xFFFFFFFFu)
            return false;
    }
    value = static_cast<uint32_t>(result);
    return true;
}

bool ReadWindowId(std::string_view text, uint32_t& id)
{
    const bool hex = text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    uint32_t value;
    if (!ReadUnsigned(hex ? text.substr(2) : text, hex ? 16 : 10, value) || value == 0)
        return false;
    id = value;
    return true;
}
