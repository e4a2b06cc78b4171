// Palettes: 256 colours indexed modulo 256, and the straight ramp that fills the show's palettes.
#pragma once

#include <array>
#include <cstdint>

struct Colour {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};

using Palette = std::array<Colour, 256>;

// Fills count entries from entry first on (wrapping from 255 to 0) with a straight ramp from the start
// colour to the end colour. The per-entry step is held in single precision and every value truncated, so a
// ramp can end one below its end colour. Only the low 8 bits of first and of the colours count; a count of
// 0 or less changes nothing.
void FillPaletteRamp(Palette& palette, uint32_t first, int32_t count, uint32_t red0, uint32_t green0, uint32_t blue0,
                     uint32_t red1, uint32_t green1, uint32_t blue1);

// The low 8 bits of a value truncated toward zero, as a palette index or byte (two's complement for
// negative values, so -1.5 gives 255). Values beyond 64-bit integers are reduced exactly first.
uint8_t TruncatedLowByte(double value);
