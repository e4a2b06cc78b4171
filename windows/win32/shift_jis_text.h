// The saver's Shift-JIS texts as UTF-16, for systems whose ANSI code page is not Japanese: a table of just
// the characters those texts use, since Windows 95 outside Japan has no code page 932 to convert with.
#pragma once

#include <cstdint>

// Converts count bytes of Shift-JIS into at most capacity UTF-16 units and returns how many were written.
// ASCII bytes stand for themselves; a double-byte character found in the table becomes its UTF-16 unit, any
// other one (a lead byte cut off at the end, a single-byte katakana) becomes U+FF1F, the full-width question
// mark, so that a text never shows bytes read in the wrong code page.
uint32_t ShiftJisToUtf16(const char* bytes, uint32_t count, uint16_t* units, uint32_t capacity);

// The table, for tests: each entry a Shift-JIS double-byte code and its UTF-16 unit.
struct ShiftJisCharacter {
    uint16_t code;
    uint16_t unit;
};
extern const ShiftJisCharacter shiftJisCharacters[];
extern const uint32_t shiftJisCharacterCount;
