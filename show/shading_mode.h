// Shading modes: how a sprite's or the wave field's pixel picks its palette entry from where it lies.
#pragma once

#include <cstdint>
#include <type_traits>

enum ShadingMode : uint8_t {
    shadingFlat = 0,       // the colour offset alone
    shadingHorizontal = 1, // plus the distance across: |column - pivot column|, or the field's column
    shadingVertical = 2,   // plus the distance down: |row - pivot row|, or the field's row
    shadingRadial = 3,     // by the straight-line distance from the pivot or the field's centre, truncated
};

// Runs body with std::integral_constant<uint8_t, mode>, so that a drawing loop is compiled once per mode
// instead of testing the mode per pixel. Any value beyond the four modes draws flat.
template <typename Body> inline void WithShadingMode(uint8_t mode, Body&& body)
{
    switch (mode) {
    case shadingHorizontal: body(std::integral_constant<uint8_t, shadingHorizontal>{}); break;
    case shadingVertical: body(std::integral_constant<uint8_t, shadingVertical>{}); break;
    case shadingRadial: body(std::integral_constant<uint8_t, shadingRadial>{}); break;
    default: body(std::integral_constant<uint8_t, shadingFlat>{}); break;
    }
}
