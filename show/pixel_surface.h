// Pixel surface: the show's one drawing target, a pixel format with the frame buffer it is drawn into, and
// the one place where an 8-bit red, green and blue colour becomes a stored pixel.
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "show/palette.h"
#include "show/pixel_format.h"

// The format's fields (pixel size, masks, shifts, fill bits) come first, then the buffer's.
struct PixelSurface : PixelFormat {
    uint8_t* pixels = nullptr; // row 0, column 0 of the locked frame buffer; not owned
    int32_t pitch = 0;         // bytes from one row to the next
    uint32_t clearValue = 0;   // packed value each frame starts from: black (0, or the format's fill bits)
    uint32_t clipWidth = 0;    // plots at x >= clipWidth or y >= clipHeight are dropped
    uint32_t clipHeight = 0;

    // Stores the format (deriving the shifts, PixelFormat::setChannels), without fill bits, and the clip size.
    void setFormat(uint32_t bytesPerPixel, uint32_t redMask, uint32_t greenMask, uint32_t blueMask, uint32_t clipWidth,
                   uint32_t clipHeight);

    // Packs and stores one pixel; positions outside the clip size (negative ones too) store nothing.
    void plot(int32_t x, int32_t y, uint32_t red, uint32_t green, uint32_t blue);

    // Whether (x, y) lies inside the clip size; comparing unsigned drops negative coordinates too.
    bool contains(int32_t x, int32_t y) const
    {
        return static_cast<uint32_t>(x) < clipWidth && static_cast<uint32_t>(y) < clipHeight;
    }

    uint8_t* address(int32_t x, int32_t y) const
    {
        return pixels + static_cast<intptr_t>(y) * pitch + static_cast<intptr_t>(x) * bytesPerPixel;
    }

    // Fills the clipped area with a packed value, as the display's colour fill does before each frame.
    void fill(uint32_t value);
};

// The process's one surface.
extern PixelSurface pixelSurface;

// A palette's colours packed for a surface's format: done once per draw, not once per pixel. Entry e packs
// palette entry (first + e) mod 256; only the count entries a draw can reach are packed, the rest left unset.
using PackedPalette = std::array<uint32_t, 256>;
inline PackedPalette PackPalette(const PixelFormat& format, const Palette& palette, uint32_t first = 0,
                                 uint32_t count = 256)
{
    PackedPalette packed;
    for (uint32_t e = 0; e < count && e < packed.size(); ++e) {
        const Colour& colour = palette[(first + e) & 0xFF];
        packed[e] = format.pack(colour.red, colour.green, colour.blue);
    }
    return packed;
}

// Stores a packed value of BytesPerPixel bytes, little-endian.
template <int BytesPerPixel> inline void StorePixel(uint8_t* at, uint32_t value)
{
    if constexpr (BytesPerPixel == 1) {
        *at = static_cast<uint8_t>(value);
    } else if constexpr (BytesPerPixel == 3) {
        at[0] = static_cast<uint8_t>(value);
        at[1] = static_cast<uint8_t>(value >> 8);
        at[2] = static_cast<uint8_t>(value >> 16);
    } else {
        // memcpy of a little-endian value: one plain store on x86, legal at any alignment.
        using Word = std::conditional_t<BytesPerPixel == 2, uint16_t, uint32_t>;
        const Word word = static_cast<Word>(value);
        std::memcpy(at, &word, sizeof word);
    }
}

// The packed value of bytesPerPixel (0 to 4) bytes stored at at, little-endian: what StorePixel stored.
inline uint32_t LoadPixel(const uint8_t* at, uint32_t bytesPerPixel)
{
    uint32_t value = 0;
    for (uint32_t b = 0; b < bytesPerPixel && b < 4; ++b)
        value |= uint32_t(at[b]) << (8 * b);
    return value;
}

// Runs body with std::integral_constant<int, bytesPerPixel> so that a drawing loop is compiled once per
// pixel size instead of testing the format per pixel. Sizes other than 1 to 4 run nothing.
template <typename Body> inline void WithPixelSize(uint32_t bytesPerPixel, Body&& body)
{
    switch (bytesPerPixel) {
    case 1: body(std::integral_constant<int, 1>{}); break;
    case 2: body(std::integral_constant<int, 2>{}); break;
    case 3: body(std::integral_constant<int, 3>{}); break;
    case 4: body(std::integral_constant<int, 4>{}); break;
    default: break;
    }
}
