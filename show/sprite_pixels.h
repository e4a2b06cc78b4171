// Drawing a bitmap sprite's set pixels. Files of their own (sprite_pixels.cpp and the build's fast path,
// show/listed_pixels.h) because they compute in doubles only (no single-precision value is rounded there):
// the 32-bit build compiles them without -ffloat-store, whose store and reload of every double variable
// would otherwise double the cost of the show's busiest loop.
#pragma once

#include <cstdint>

struct BitmapSprite;

// Plots every set bit of the sprite's image into pixelSurface, with its pivot on (x, y), turned by the angle
// whose sine and cosine (single-precision values) are given, in the colour of palette entry colourOffset plus
// the pixel's shading term.
void DrawSpritePixels(const BitmapSprite& sprite, double sine, double cosine, int32_t x, int32_t y);
