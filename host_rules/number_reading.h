// Reading the numbers of a host's command line strictly: the whole text is the number, or it is refused.
#pragma once

#include <cstdint>
#include <string_view>

// The whole of text as digits of base (10 or 16, either case of a to f) whose value fits 32 bits. False, with
// value untouched, for an empty text, a sign, a blank or any other character, or a larger value.
bool ReadUnsigned(std::string_view text, uint32_t base, uint32_t& value);

// An X window id: decimal, or hexadecimal after 0x or 0X, of at most 32 bits. 0 is no window and is refused.
bool ReadWindowId(std::string_view text, uint32_t& id);
