// Drawing a bitmap sprite's set pixels. A file of its own because it computes in doubles only (no
// single-precision value is rounded here): the 32-bit build compiles it without -ffloat-store, whose store
// and reload of every double variable would otherwise double the cost of the show's busiest loop.
#pragma once

#include <cstdint>

struct BitmapSprite;

// Plots every set bit of the sprite's image into pixelSurface, with its pivot on (x, y), turned by the angle
// whose sine and cosine (single-precision values) are given, in the colour of palette entry colourOffset plus
// the pixel's shading term.
void DrawSpritePixels(const BitmapSprite& sprite, double sine, double cosine, int32_t x, int32_t y);
