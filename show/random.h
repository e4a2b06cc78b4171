// The show's pseudo-random generator: the classic C library linear congruential sequence, kept here so
// that every platform draws exactly the same numbers (glibc's rand() is a different generator).
#pragma once

#include <cstdint>

// Generator state. It starts at 1 and is never reseeded by the show, so a run always draws the same sequence.
extern uint32_t randomState;

// Advances the state (state * 214013 + 2531011, modulo 2^32) and returns its bits 16 to 30: 0 to 32767.
inline int32_t NextRandom()
{
    randomState = randomState * 214013u + 2531011u;
    return static_cast<int32_t>((randomState >> 16) & 0x7FFFu);
}
