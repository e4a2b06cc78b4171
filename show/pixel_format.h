// Pixel formats: how an 8-bit red, green and blue colour becomes a display's packed pixel and back, told by
// one mask and one shift per channel and the bits set in every pixel; and the five formats the show is played
// in, by name.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <string_view>

#include "show/palette.h"

struct PixelFormat {
    uint32_t bytesPerPixel = 0; // 1 to 4; anything else stores nothing
    uint32_t redMask = 0;
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;
    int32_t redShift = 0; // > 0: shift an 8-bit channel left, < 0: right, before masking
    int32_t greenShift = 0;
    int32_t blueShift = 0;
    // Bits outside the colour fields that every packed pixel has set, as a 32-bit X visual's alpha, which
    // must be opaque. None of the five named formats has any; setChannels leaves them as they are.
    uint32_t fillBits = 0;

    // Stores the pixel size and the masks and derives each channel's shift from its mask: the shift puts
    // bit 7 of the channel on the mask's highest bit. A mask of 0 leaves its channel's shift as it was.
    constexpr void setChannels(uint32_t newBytesPerPixel, uint32_t newRedMask, uint32_t newGreenMask,
                               uint32_t newBlueMask)
    {
        bytesPerPixel = newBytesPerPixel;
        redMask = newRedMask;
        greenMask = newGreenMask;
        blueMask = newBlueMask;
        DeriveShift(redMask, redShift);
        DeriveShift(greenMask, greenShift);
        DeriveShift(blueMask, blueShift);
    }

    // The packed pixel for a colour, fill bits included. Bits a narrow field cannot hold are cut off, never
    // rounded.
    constexpr uint32_t pack(uint32_t red, uint32_t green, uint32_t blue) const
    {
        return (ShiftChannel(red, redShift) & redMask) | (ShiftChannel(green, greenShift) & greenMask) |
               (ShiftChannel(blue, blueShift) & blueMask) | fillBits;
    }

    // The colour a packed pixel shows: each channel's field scaled to 0..255, truncating. For the colour
    // cube this is the palette the display is given, entry by entry.
    constexpr Colour unpack(uint32_t value) const
    {
        return {UnpackField(value, redMask), UnpackField(value, greenMask), UnpackField(value, blueMask)};
    }

    static constexpr uint32_t ShiftChannel(uint32_t value, int32_t shift)
    {
        if (shift > 0)
            return value << shift;
        if (shift < 0)
            return value >> -shift;
        return value;
    }

    // 24 less the clear bits above the mask's highest set bit: that bit's index less 7.
    static constexpr void DeriveShift(uint32_t mask, int32_t& shift)
    {
        if (mask != 0)
            shift = 24 - std::countl_zero(mask);
    }

    static constexpr uint8_t UnpackField(uint32_t value, uint32_t mask)
    {
        if (mask == 0)
            return 0;
        const int lowestBit = std::countr_zero(mask);
        return static_cast<uint8_t>(uint64_t((value & mask) >> lowestBit) * 255 / (mask >> lowestBit));
    }
};

constexpr PixelFormat MakePixelFormat(uint32_t bytesPerPixel, uint32_t redMask, uint32_t greenMask, uint32_t blueMask,
                                      uint32_t fillBits = 0)
{
    PixelFormat format;
    format.setChannels(bytesPerPixel, redMask, greenMask, blueMask);
    format.fillBits = fillBits;
    return format;
}

// The 8-bit format: a pixel is rrrgggbb, an index into the colour cube whose entry i is
// colourCubeFormat.unpack(i) (red and green levels 0, 36, ..., 255, blue levels 0, 85, 170, 255).
inline constexpr PixelFormat colourCubeFormat = MakePixelFormat(1, 0xE0, 0x1C, 0x03);
// The masks 16, 24 and 32-bit displays commonly report.
inline constexpr PixelFormat rgb555Format = MakePixelFormat(2, 0x7C00, 0x03E0, 0x001F);
inline constexpr PixelFormat rgb565Format = MakePixelFormat(2, 0xF800, 0x07E0, 0x001F);
inline constexpr PixelFormat rgb888Format = MakePixelFormat(3, 0xFF0000, 0x00FF00, 0x0000FF);
inline constexpr PixelFormat xrgb8888Format = MakePixelFormat(4, 0xFF0000, 0x00FF00, 0x0000FF);

struct NamedPixelFormat {
    std::string_view name; // as the render tool's --format takes it
    const PixelFormat* format;
};

// The five formats, shallowest first, for whatever plays the show in each of them.
inline constexpr std::array<NamedPixelFormat, 5> namedPixelFormats{{
    {"8", &colourCubeFormat},
    {"555", &rgb555Format},
    {"565", &rgb565Format},
    {"24", &rgb888Format},
    {"32", &xrgb8888Format},
}};

// A web canvas's pixels: the bytes red, green, blue, alpha in memory, so a little-endian 32-bit value holds
// red in its lowest byte; the alpha byte is a fill of 255, as a canvas shows a pixel opaque only then.
inline constexpr PixelFormat canvasRgbaFormat = MakePixelFormat(4, 0x0000FF, 0x00FF00, 0xFF0000, 0xFF000000);
// Not among the five: no display reports it, but the render tool draws it for the web page's checks.
inline constexpr NamedPixelFormat canvasPixelFormat{"rgba", &canvasRgbaFormat};

// The format of that name (one of the five, or the canvas's), or null.
constexpr const PixelFormat* FindPixelFormat(std::string_view name)
{
    for (const NamedPixelFormat& named : namedPixelFormats)
        if (named.name == name)
            return named.format;
    return name == canvasPixelFormat.name ? canvasPixelFormat.format : nullptr;
}
