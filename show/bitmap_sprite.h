// Bitmap sprite: a one-bit image drawn turned about its pivot, coloured from its own palette by a cycling
// offset plus a shading term (flat, horizontal, vertical or radial distance from the pivot).
#pragma once

#include <cstdint>

#include "show/palette.h"
#include "show/shading_mode.h"

struct BitmapSprite {
    int32_t width;
    int32_t height;
    int32_t pivotX; // image column placed on the draw point and turned about
    int32_t pivotY;
    int32_t imageSize;    // image bytes the draw walks
    int32_t bytesPerRow;  // width / 8, rounded up
    const uint8_t* image; // rows top to bottom, most significant bit leftmost; borrowed
    float angle;          // degrees, clockwise on screen
    float angularSpeed;   // degrees per second
    uint8_t colourOffset; // base palette index, recomputed from colourPhase at every draw
    float colourPhase;    // palette steps accumulated over time; never wrapped
    float colourSpeed;    // palette steps per second
    uint8_t shadingMode;  // a ShadingMode; other values draw flat
    Palette palette;

    // Pivot at the image centre, no turn, no speeds, flat white. Also takes 256 values from the show's
    // random generator: they are not used, but they advance the sequence the scene later draws from, so the
    // order in which sprites are constructed matters.
    BitmapSprite(int32_t width, int32_t height, int32_t imageSize, const uint8_t* image);

    void setRamp(uint32_t first, int32_t count, uint32_t red0, uint32_t green0, uint32_t blue0, uint32_t red1,
                 uint32_t green1, uint32_t blue1)
    {
        FillPaletteRamp(palette, first, count, red0, green0, blue0, red1, green1, blue1);
    }

    // Advances the colour phase and the angle by frameDelta seconds, then plots every set bit of the image
    // into pixelSurface with its pivot on (x, y).
    void draw(float frameDelta, int32_t x, int32_t y);
};
