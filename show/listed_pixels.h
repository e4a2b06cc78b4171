// Listed sprite pixels: a bitmap sprite's set pixels found once for an image, pivot and shading mode, and
// the ways a list is drawn. DrawListedOneByOne is the definition; DrawListedFast is the build's fastest way
// (show/sprite_pixels_sse2.cpp, show/sprite_pixels_x87.cpp or show/sprite_pixels_plain.cpp, chosen by the
// build for its processor), which must leave the very same picture.
#pragma once

#include <array>
#include <cstdint>
#include <type_traits>

#include "show/pixel_surface.h"

struct BitmapSprite;

inline constexpr int32_t listedImageBytes = 2048; // larger images are drawn bit by bit
inline constexpr int32_t listedPixels = 8192;

struct PixelPlace {
    int16_t rx; // first: the low half of the pair read as a little-endian 32-bit word, as the SSE2 loads do
    int16_t ry;
};

// The set pixels of an image in drawing order, as columns and rows from the pivot with their shading terms.
struct PixelList {
    // What the pixels were found from. The image's bytes are compared, not just its address, so that an
    // image rewritten in place, or another one in the same place, is listed afresh.
    int32_t imageSize; // 0 until the list is complete
    int32_t bytesPerRow;
    int32_t pivotX;
    int32_t pivotY;
    uint8_t mode;
    std::array<uint8_t, listedImageBytes> image;

    int32_t count;
    int64_t farthestSquared; // the largest squared distance of a pixel from the pivot
    int16_t left;            // the smallest and largest rx and ry of the listed pixels (0 when none)
    int16_t right;
    int16_t top;
    int16_t bottom;
    alignas(16) std::array<PixelPlace, listedPixels> places;
    std::array<uint8_t, listedPixels> terms;
    // The places in runs of neighbours along a row, each one column left of the one before: the lengths of
    // the runs in order, which add up to count.
    int32_t runCount;
    std::array<uint16_t, listedPixels> runLengths;
};

// Whether the list holds this sprite's pixels: listed from the same image bytes, layout, pivot and mode.
bool HasListFor(const PixelList& list, const BitmapSprite& sprite);

// Lists the sprite's pixels; false when they do not fit (the list is then left incomplete).
bool ListPixels(const BitmapSprite& sprite, PixelList& list);

// What every pixel of one draw of a list shares.
struct ListedDraw {
    uint8_t* pixels;
    intptr_t pitch;
    uint32_t bytesPerPixel;
    uint32_t clipWidth;
    uint32_t clipHeight;
    bool clip; // false when every pixel is known to land inside the clip size
    int32_t x; // where the pivot lands
    int32_t y;
    double sine; // of the angle, rounded to single precision
    double cosine;
    const uint32_t* colours; // by shading term: the packed palette entry (colourOffset + term) mod 256
};

// A draw of the list on pixelSurface with its pivot on (x, y), clipped only where some pixel, turned by any
// angle, could land outside.
ListedDraw SetupListedDraw(const PixelList& list, double sine, double cosine, int32_t x, int32_t y,
                           const uint32_t* colours);

// Plots the listed pixels in their order, each where the formula puts it: x + trunc(rx * c - ry * s),
// y + trunc(rx * s + ry * c), the products and sums in double precision from the single-precision sine and
// cosine, skipping positions outside the clip size. The definition of a listed draw.
void DrawListedOneByOne(const PixelList& list, const ListedDraw& draw);

// The same picture, drawn the build's fastest way.
void DrawListedFast(const PixelList& list, const ListedDraw& draw);

// The same picture in integer arithmetic (show/sprite_pixels_integer.cpp), where the sine and cosine are
// multiples of 2^-32 of at most 1 in magnitude (then the formula is exact) and its tables reach the list and
// the clip height; false, drawing nothing, elsewhere.
bool DrawListedInIntegers(const PixelList& list, const ListedDraw& draw);

// Runs body with std::integral_constant values of the draw's pixel size and clipping, so that a loop is
// compiled once for each and holds no test it does not need.
template <typename Body> inline void WithListedDrawKind(const ListedDraw& draw, Body&& body)
{
    WithPixelSize(draw.bytesPerPixel, [&](auto size) {
        if (draw.clip)
            body(size, std::true_type{});
        else
            body(size, std::false_type{});
    });
}

// The formula's loop over the listed pixels from first on, with truncate converting the sums to integers
// toward zero: the definition itself, and what the faster ways fall back on for the pixels they leave.
template <int BytesPerPixel, bool Clip, typename Truncate>
inline void DrawOneByOne(const PixelList& list, int32_t first, const ListedDraw& draw, Truncate truncate)
{
    // Copies, so that the compiler need not reload them after every byte stored into the frame.
    const ListedDraw d = draw;
    const PixelPlace* const places = list.places.data();
    const uint8_t* const terms = list.terms.data();
    const int32_t count = list.count;
    for (int32_t i = first; i < count; ++i) {
        const double rx = places[i].rx, ry = places[i].ry;
        // Unsigned sums: a pivot near the ends of the coordinate range wraps instead of overflowing, and
        // the clip test drops what wrapped.
        const uint32_t sx = static_cast<uint32_t>(d.x) + static_cast<uint32_t>(truncate(rx * d.cosine - ry * d.sine));
        const uint32_t sy = static_cast<uint32_t>(d.y) + static_cast<uint32_t>(truncate(rx * d.sine + ry * d.cosine));
        if (!Clip || (sx < d.clipWidth && sy < d.clipHeight))
            StorePixel<BytesPerPixel>(d.pixels + intptr_t(int32_t(sy)) * d.pitch +
                                          intptr_t(int32_t(sx)) * BytesPerPixel,
                                      d.colours[terms[i]]);
    }
}
