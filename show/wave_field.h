// Wave field: a rectangle of palette-coloured pixels whose rows shift sideways and whose columns shift up
// and down by two 256-entry sine tables, read through two 8-bit phases.
#pragma once

#include <array>
#include <cstdint>

#include "show/palette.h"
#include "show/shading_mode.h"

// The displacement tables by the number that WaveField::fillSine selects them with.
inline constexpr uint32_t rowDisplacementTable = 0;
inline constexpr uint32_t columnDisplacementTable = 1;

struct WaveField {
    int32_t width;   // columns
    int32_t height;  // rows
    int32_t centreX; // field column placed on the anchor's x
    int32_t centreY; // field row placed on the anchor's y
    uint8_t colourOffset;
    uint8_t shadingMode; // a ShadingMode: flat, by column, by row, by distance from the centre
    Palette palette;
    uint8_t rowPhase;                            // added to a row number to pick its entry of rowDisplacement
    std::array<int32_t, 256> rowDisplacement;    // pixels to the right
    uint8_t columnPhase;                         // added to a column number to pick its entry of columnDisplacement
    std::array<int32_t, 256> columnDisplacement; // pixels downward

    // The show's sea: 640x128 centred on (320, 64), black palette, flat tables.
    WaveField();

    void setRamp(uint32_t first, int32_t count, uint32_t red0, uint32_t green0, uint32_t blue0, uint32_t red1,
                 uint32_t green1, uint32_t blue1)
    {
        FillPaletteRamp(palette, first, count, red0, green0, blue0, red1, green1, blue1);
    }

    // Samples amplitude * sin over [startDegrees, endDegrees) into count entries of a table from
    // firstIndex on (table rowDisplacementTable or columnDisplacementTable; any other selects nothing),
    // wrapping past entry 255.
    void fillSine(float startDegrees, float endDegrees, uint32_t firstIndex, int32_t count, int32_t amplitude,
                  uint32_t table);

    // Plots every field pixel into pixelSurface with the centre point on (anchorX, anchorY).
    void draw(int32_t anchorX, int32_t anchorY);
};
