// The display pixel formats the show is rendered in off screen: the 3-3-2 colour cube and the usual
// 16, 24 and 32-bit masks.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

struct PixelFormat {
    std::string_view name; // as given to --format
    uint32_t bytesPerPixel;
    uint32_t redMask;
    uint32_t greenMask;
    uint32_t blueMask;
};

inline constexpr std::array<PixelFormat, 5> pixelFormats{{
    {"8", 1, 0xE0, 0x1C, 0x03}, // palette indices rrrgggbb through the colour cube
    {"555", 2, 0x7C00, 0x03E0, 0x001F},
    {"565", 2, 0xF800, 0x07E0, 0x001F},
    {"24", 3, 0xFF0000, 0x00FF00, 0x0000FF},
    {"32", 4, 0xFF0000, 0x00FF00, 0x0000FF},
}};

inline const PixelFormat* FindPixelFormat(std::string_view name)
{
    for (const PixelFormat& format : pixelFormats)
        if (format.name == name)
            return &format;
    return nullptr;
}
