// What must hold for any command line: checks shared by the seeded run and the libFuzzer target.
#pragma once

#include <cstddef>
#include <cstdint>

// Steps over one character as CharNextA does under code page 932: a lead byte (0x81 to 0x9F, 0xE0 to 0xFC)
// takes the byte after it along unless that is the terminating NUL; the NUL itself is never passed.
const char* NextShiftJisCharacter(const char* text);

// Reads data (any bytes; the text ends at the first NUL or after size bytes) as a whole command line and
// as an argument text. Returns nullptr when every property holds, otherwise a description of the first
// one that failed.
const char* CheckCommandLineProperties(const uint8_t* data, size_t size);
