// The wave field column by column, for fields whose rows all shift alike. Then no two field pixels can land
// on one screen position (a column keeps its own screen column and its rows stay apart), so the order of
// the stores cannot show, and each column becomes one clipped run down the screen. The show's own sea is
// shaded by row and drawn four columns at a time, so this way serves only the shadings by column and by
// distance: it is compiled once, with the shading and the pixel size chosen per pixel, to keep the saver
// small rather than fast.
#include <algorithm>
#include <cstdint>

#include "show/pixel_surface.h"
#include "show/wave_field_draws.h"

void DrawFieldColumnByColumn(const WaveField& field, int32_t x0, int32_t y0, int32_t shiftX)
{
    const PixelSurface& surface = pixelSurface;
    const PackedPalette packed = PackPalette(surface, field.palette);
    const uint32_t bytesPerPixel = std::min<uint32_t>(surface.bytesPerPixel, 4);

    // Locals, so that the compiler need not reload them after every byte stored into the frame.
    const int64_t clipHeight = surface.clipHeight;
    const uint32_t clipWidth = surface.clipWidth;
    const intptr_t pitch = surface.pitch;
    uint8_t* const pixels = surface.pixels;
    for (int32_t i = 0; i < field.width; ++i) {
        const int32_t sx = x0 + i + shiftX;
        if (static_cast<uint32_t>(sx) >= clipWidth)
            continue;
        const int64_t top = int64_t(y0) + field.columnDisplacement[(field.columnPhase + i) & 0xFF];
        // Rows n with 0 <= top + n < clipHeight, in 64 bits so that no displacement can overflow.
        const int32_t first = static_cast<int32_t>(std::max<int64_t>(0, -top));
        const int32_t last = static_cast<int32_t>(std::min<int64_t>(field.height, clipHeight - top));
        if (first >= last)
            continue;
        uint8_t* at = pixels + (top + first) * pitch + intptr_t(sx) * bytesPerPixel;
        for (int32_t n = first; n < last; ++n, at += pitch) {
            // Little-endian, byte by byte: the bytes StorePixel stores.
            const uint32_t value = packed[FieldIndexIn(field.shadingMode, field, i, n) & 0xFF];
            for (uint32_t b = 0; b < bytesPerPixel; ++b)
                at[b] = static_cast<uint8_t>(value >> (8 * b));
        }
    }
}
