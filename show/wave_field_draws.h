// The ways a wave field is drawn into pixelSurface with its field origin on (x0, y0): pixel by pixel
// through the plot, which defines the picture, and the faster ways for fields whose rows all shift alike
// (by shiftX), which must leave the very same picture. WaveField::draw chooses among them.
#pragma once

#include <cmath>
#include <cstdint>

#include "show/wave_field.h"

// The palette index of field pixel (column, row) in a shading mode, before the wrap to 256.
template <uint8_t Mode> inline uint32_t FieldIndex(const WaveField& field, int32_t column, int32_t row)
{
    if constexpr (Mode == shadingHorizontal) {
        return field.colourOffset + static_cast<uint32_t>(column);
    } else if constexpr (Mode == shadingVertical) {
        return field.colourOffset + static_cast<uint32_t>(row);
    } else if constexpr (Mode == shadingRadial) {
        // Distance from the centre; the colour offset is not added in this mode.
        const int64_t dx = column - field.centreX;
        const int64_t dy = row - field.centreY;
        return static_cast<uint32_t>(std::sqrt(double(dx * dx + dy * dy)));
    } else {
        return field.colourOffset;
    }
}

// The same with the mode chosen at run time, for the ways that are not worth a copy per mode; any value
// beyond the four modes shades flat, as WithShadingMode does.
inline uint32_t FieldIndexIn(uint8_t mode, const WaveField& field, int32_t column, int32_t row)
{
    switch (mode) {
    case shadingHorizontal: return FieldIndex<shadingHorizontal>(field, column, row);
    case shadingVertical: return FieldIndex<shadingVertical>(field, column, row);
    case shadingRadial: return FieldIndex<shadingRadial>(field, column, row);
    default: return FieldIndex<shadingFlat>(field, column, row);
    }
}

// Every field pixel through the plot, row by row from the top, each row left to right: the definition.
void DrawFieldPixelByPixel(const WaveField& field, int32_t x0, int32_t y0);

// Column by column, one clipped run down the screen each (show/wave_field_columns.cpp): any shading mode.
void DrawFieldColumnByColumn(const WaveField& field, int32_t x0, int32_t y0, int32_t shiftX);

// Four columns at a time (show/wave_field_fours.h, stored by the build's fast path): flat or by-row
// shading only, whose colour depends on the row alone, and clips of at most foursClipHeightMost rows, since
// it counts the clip's rows (and four more) in 32 bits.
inline constexpr uint32_t foursClipHeightMost = 0x7FFFFFF0;
void DrawFieldColumnsInFours(const WaveField& field, int32_t x0, int32_t y0, int32_t shiftX);
