// The show's two one-bit images, compiled in and shared by reference by every sprite that draws them.
#pragma once

#include <array>
#include <cstdint>

// A 16x16 star: a solid core around column 8, row 7, broken rays and four diagonal dots. Two bytes a row
// and a trailing 0x80, which the sprite draws as one more pixel at column 0 below the last row.
inline constexpr int32_t drifterImageWidth = 16;
inline constexpr int32_t drifterImageHeight = 16;
extern const std::array<uint8_t, 33> drifterImage;

// A 200x50 figure: a dense band across rows 21 to 30 with thin reeds above and below; the ring's spokes.
// Twenty-five bytes a row and a trailing 0.
inline constexpr int32_t ringImageWidth = 200;
inline constexpr int32_t ringImageHeight = 50;
extern const std::array<uint8_t, 1251> ringImage;
