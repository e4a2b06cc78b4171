// Drawing a bitmap sprite's set pixels: listed once per image, pivot and shading mode, then turned,
// coloured, clipped and stored at every draw.
#include "show/sprite_pixels.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "show/bitmap_sprite.h"
#include "show/pixel_surface.h"
#include "show/portable_math.h"

namespace {

// Calls visit(rx, ry) for every set bit of the sprite's image, with its column and row from the pivot, in
// drawing order: last byte first, and within a byte the rightmost pixel first. Where two pixels land on one
// screen position the later one wins, so every way of drawing keeps this order.
template <typename Visit> void ForEachSetPixel(const BitmapSprite& sprite, Visit&& visit)
{
    for (int32_t n = sprite.imageSize - 1; n >= 0; --n) {
        const uint8_t bits = sprite.image[n];
        if (bits == 0)
            continue;
        const int64_t ry = int64_t(n / sprite.bytesPerRow) - sprite.pivotY;
        const int64_t byteColumn = 8 * int64_t(n % sprite.bytesPerRow) - sprite.pivotX;
        for (int k = 7; k >= 0; --k) {
            if ((bits & (0x80 >> k)) != 0)
                visit(byteColumn + k, ry);
        }
    }
}

// The low 8 bits of the shading term of a pixel rx columns and ry rows from the pivot.
uint8_t ShadingTerm(uint8_t mode, int64_t rx, int64_t ry)
{
    const int64_t ax = rx < 0 ? -rx : rx;
    const int64_t ay = ry < 0 ? -ry : ry;
    switch (mode) {
    case shadingHorizontal: return static_cast<uint8_t>(ax);
    case shadingVertical: return static_cast<uint8_t>(ay);
    case shadingRadial: return static_cast<uint8_t>(static_cast<int64_t>(std::sqrt(double(ax * ax + ay * ay))));
    default: return 0;
    }
}

// The set pixels of an image in drawing order, as columns and rows from the pivot with their shading terms:
// found once for an image, pivot and shading mode, then walked by every draw that shares all three. The
// ring's eighteen spokes share one such list, and the nine stars are one sprite; finding the pixels costs
// about what drawing them does.
constexpr int32_t listedImageBytes = 2048; // larger images are drawn bit by bit
constexpr int32_t listedPixels = 8192;
struct PixelPlace {
    int16_t rx; // first: the low half of the pair read as a little-endian 32-bit word, as the loads below do
    int16_t ry;
};
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
    alignas(16) std::array<PixelPlace, listedPixels> places;
    std::array<uint8_t, listedPixels> terms;
};

bool Lists(const PixelList& list, const BitmapSprite& sprite)
{
    return list.imageSize == sprite.imageSize && list.bytesPerRow == sprite.bytesPerRow &&
           list.pivotX == sprite.pivotX && list.pivotY == sprite.pivotY && list.mode == sprite.shadingMode &&
           std::memcmp(list.image.data(), sprite.image, std::size_t(sprite.imageSize)) == 0;
}

// Lists the sprite's pixels; false when they do not fit.
bool ListPixels(const BitmapSprite& sprite, PixelList& list)
{
    list.imageSize = 0;
    if (sprite.imageSize > listedImageBytes)
        return false;
    list.count = 0;
    list.farthestSquared = 0;
    bool fits = true;
    ForEachSetPixel(sprite, [&](int64_t rx, int64_t ry) {
        if (list.count == listedPixels || rx < INT16_MIN || rx > INT16_MAX || ry < INT16_MIN || ry > INT16_MAX) {
            fits = false;
            return;
        }
        list.places[list.count] = {static_cast<int16_t>(rx), static_cast<int16_t>(ry)};
        list.terms[list.count] = ShadingTerm(sprite.shadingMode, rx, ry);
        ++list.count;
        list.farthestSquared = std::max(list.farthestSquared, rx * rx + ry * ry);
    });
    if (!fits)
        return false;
    list.bytesPerRow = sprite.bytesPerRow;
    list.pivotX = sprite.pivotX;
    list.pivotY = sprite.pivotY;
    list.mode = sprite.shadingMode;
    std::memcpy(list.image.data(), sprite.image, std::size_t(sprite.imageSize));
    list.imageSize = sprite.imageSize;
    return true;
}

// A palette packed for a format, twice over, so that entry (offset + term) mod 256 of the palette is entry
// term of the packed one read from offset on.
struct PackedColours {
    bool packed;
    PixelFormat format;
    Palette palette;
    std::array<uint32_t, 512> colours;
};

bool Packs(const PackedColours& packed, const Palette& palette, const PixelFormat& format)
{
    return packed.packed && std::memcmp(&packed.format, &format, sizeof format) == 0 &&
           std::memcmp(packed.palette.data(), palette.data(), sizeof palette) == 0;
}

void PackColours(const Palette& palette, const PixelFormat& format, PackedColours& packed)
{
    const PackedPalette once = PackPalette(format, palette);
    std::copy(once.begin(), once.end(), packed.colours.begin());
    std::copy(once.begin(), once.end(), packed.colours.begin() + once.size());
    packed.format = format;
    packed.palette = palette;
    packed.packed = true;
}

// Two of each kept, for the two sprites a frame draws in turn (the stars, then the ring): the one that
// matches, or else the one used less recently, filled afresh (null when it cannot be).
template <typename Kept> struct KeptPair {
    std::array<Kept, 2> kept;
    int lastUsed = 0;

    template <typename Matches, typename Fill> const Kept* recall(Matches&& matches, Fill&& fill)
    {
        for (int k = 0; k < 2; ++k) {
            if (matches(kept[k])) {
                lastUsed = k;
                return &kept[k];
            }
        }
        lastUsed = 1 - lastUsed;
        return fill(kept[lastUsed]) ? &kept[lastUsed] : nullptr;
    }
};
KeptPair<PixelList> pixelLists;
KeptPair<PackedColours> packedColours;

// What every pixel of one draw shares.
struct DrawSetup {
    uint8_t* pixels;
    intptr_t pitch;
    uint32_t clipWidth;
    uint32_t clipHeight;
    int32_t x; // where the pivot lands
    int32_t y;
    double sine; // of the angle, rounded to single precision
    double cosine;
    const uint32_t* colours; // by shading term: the packed palette entry (colourOffset + term) mod 256
};

// Plots the listed pixels from first on, one at a time, each where the formula puts it, truncate converting
// the sums to integers toward zero.
template <int BytesPerPixel, bool Clip, typename Truncate>
inline void DrawOneByOne(const PixelList& list, int32_t first, const DrawSetup& d, Truncate truncate)
{
    // Copies, so that the compiler need not reload them after every byte stored into the frame.
    const DrawSetup setup = d;
    const PixelPlace* const places = list.places.data();
    const uint8_t* const terms = list.terms.data();
    const int32_t count = list.count;
    for (int32_t i = first; i < count; ++i) {
        const double rx = places[i].rx, ry = places[i].ry;
        // Unsigned sums: a pivot near the ends of the coordinate range wraps instead of overflowing, and
        // the clip test drops what wrapped.
        const uint32_t sx =
            static_cast<uint32_t>(setup.x) + static_cast<uint32_t>(truncate(rx * setup.cosine - ry * setup.sine));
        const uint32_t sy =
            static_cast<uint32_t>(setup.y) + static_cast<uint32_t>(truncate(rx * setup.sine + ry * setup.cosine));
        if (!Clip || (sx < setup.clipWidth && sy < setup.clipHeight))
            StorePixel<BytesPerPixel>(setup.pixels + intptr_t(int32_t(sy)) * setup.pitch +
                                          intptr_t(int32_t(sx)) * BytesPerPixel,
                                      setup.colours[terms[i]]);
    }
}

#if defined(__i386__) && !defined(__SSE2_MATH__)
// Whether, for every listed pixel (|rx|, |ry| <= 2^15), the products and sums of the formula are exact in
// double, so that no rounding mode can change them. A single-precision value of magnitude 2^-14 or more is a
// multiple of 2^-37, and so then are both products and their sum; at most 2^16 in magnitude, the sum has at
// most 53 significant bits. Products with zero are zero.
bool ExactInEveryRounding(double sine, double cosine)
{
    return (sine == 0.0 || std::fabs(sine) >= 0x1p-14) && (cosine == 0.0 || std::fabs(cosine) >= 0x1p-14);
}

// The x87 converts in its rounding mode, and a cast switches the mode to truncation and back around every
// conversion, which stalls the pipeline each time. Where every product and sum is exact, this loop instead
// truncates in all its arithmetic for its whole length: the conversions truncate, and the exact arithmetic
// cannot tell. Its own function, so that no rounded operation of a caller moves into it.
template <int BytesPerPixel, bool Clip>
__attribute__((noinline)) void DrawTruncatingThroughout(const PixelList& list, const DrawSetup& d)
{
    uint16_t rounding;
    asm volatile("fnstcw %0" : "=m"(rounding));
    const uint16_t truncating = rounding | 0x0C00; // rounding control 3: toward zero
    // Both switches are barriers to the compiler, so that every conversion stays between them.
    asm volatile("fldcw %0" : : "m"(truncating) : "memory");
    DrawOneByOne<BytesPerPixel, Clip>(list, 0, d, [](double value) {
        int32_t converted;
        asm("fistpl %0" : "=m"(converted) : "t"(value) : "st");
        return converted;
    });
    asm volatile("fldcw %0" : : "m"(rounding) : "memory");
}
#endif

// Plots the listed pixels in their order, each where the formula puts it: x + trunc(rx * c - ry * s),
// y + trunc(rx * s + ry * c), the products and sums in double precision from the single-precision sine and
// cosine. Clip is false when every pixel is known to land inside. Each pixel size and clipping is compiled
// on its own, so that the loop holds no test it does not need.
template <int BytesPerPixel, bool Clip>
__attribute__((noinline)) void DrawListed(const PixelList& list, const DrawSetup& d)
{
#if defined(__i386__) && !defined(__SSE2_MATH__)
    if (ExactInEveryRounding(d.sine, d.cosine)) {
        DrawTruncatingThroughout<BytesPerPixel, Clip>(list, d);
        return;
    }
#endif
    int32_t i = 0;
#if defined(__SSE2__)
    // Locals, so that the compiler need not reload them after every byte stored into the frame.
    uint8_t* const pixels = d.pixels;
    const intptr_t pitch = d.pitch;
    const uint32_t clipWidth = d.clipWidth, clipHeight = d.clipHeight;
    const int32_t x = d.x, y = d.y;
    const double sine = d.sine, cosine = d.cosine;
    const uint32_t* const colours = d.colours;
    const PixelPlace* const places = list.places.data();
    const uint8_t* const terms = list.terms.data();
    // Four pixels at a time where clip size and pitch fit 16 bits, so that one multiply-add of words (sx, sy)
    // with words (bytes per pixel, pitch) finds four pixels' offsets.
    if (clipWidth <= 32768 && clipHeight <= 32768 && pitch >= -32768 && pitch <= 32767) {
        const __m128d sines = _mm_set1_pd(sine), cosines = _mm_set1_pd(cosine);
        const __m128i pivotX = _mm_set1_epi32(x), pivotY = _mm_set1_epi32(y);
        const __m128i sizes =
            _mm_set1_epi32(static_cast<int32_t>((static_cast<uint32_t>(pitch) << 16) | BytesPerPixel));
        // Unsigned comparisons, made signed by flipping the top bit.
        const __m128i top = _mm_set1_epi32(INT32_MIN);
        const __m128i width = _mm_set1_epi32(static_cast<int32_t>(clipWidth ^ 0x80000000u));
        const __m128i height = _mm_set1_epi32(static_cast<int32_t>(clipHeight ^ 0x80000000u));
        for (; i + 4 <= list.count; i += 4) {
            const __m128i pairs = _mm_load_si128(reinterpret_cast<const __m128i*>(places + i));
            const __m128i rx = _mm_srai_epi32(_mm_slli_epi32(pairs, 16), 16), ry = _mm_srai_epi32(pairs, 16);
            const __m128d rx01 = _mm_cvtepi32_pd(rx), rx23 = _mm_cvtepi32_pd(_mm_shuffle_epi32(rx, 0xEE));
            const __m128d ry01 = _mm_cvtepi32_pd(ry), ry23 = _mm_cvtepi32_pd(_mm_shuffle_epi32(ry, 0xEE));
            const __m128i across01 = _mm_cvttpd_epi32(_mm_sub_pd(_mm_mul_pd(rx01, cosines), _mm_mul_pd(ry01, sines)));
            const __m128i across23 = _mm_cvttpd_epi32(_mm_sub_pd(_mm_mul_pd(rx23, cosines), _mm_mul_pd(ry23, sines)));
            const __m128i down01 = _mm_cvttpd_epi32(_mm_add_pd(_mm_mul_pd(rx01, sines), _mm_mul_pd(ry01, cosines)));
            const __m128i down23 = _mm_cvttpd_epi32(_mm_add_pd(_mm_mul_pd(rx23, sines), _mm_mul_pd(ry23, cosines)));
            const __m128i sx = _mm_add_epi32(pivotX, _mm_unpacklo_epi64(across01, across23));
            const __m128i sy = _mm_add_epi32(pivotY, _mm_unpacklo_epi64(down01, down23));
            // Positions outside the clip saturate here, but those pixels are not stored.
            const __m128i offsets =
                _mm_madd_epi16(_mm_packs_epi32(_mm_unpacklo_epi32(sx, sy), _mm_unpackhi_epi32(sx, sy)), sizes);
            int inside = 0xF;
            if constexpr (Clip) {
                const __m128i insideX = _mm_cmplt_epi32(_mm_xor_si128(sx, top), width);
                const __m128i insideY = _mm_cmplt_epi32(_mm_xor_si128(sy, top), height);
                inside = _mm_movemask_ps(_mm_castsi128_ps(_mm_and_si128(insideX, insideY)));
            }
            // The colours are read before the first store, which could otherwise be taken to change them.
            const uint32_t colour0 = colours[terms[i]], colour1 = colours[terms[i + 1]];
            const uint32_t colour2 = colours[terms[i + 2]], colour3 = colours[terms[i + 3]];
            if ((inside & 1) != 0)
                StorePixel<BytesPerPixel>(pixels + _mm_cvtsi128_si32(offsets), colour0);
            if ((inside & 2) != 0)
                StorePixel<BytesPerPixel>(pixels + _mm_cvtsi128_si32(_mm_shuffle_epi32(offsets, 1)), colour1);
            if ((inside & 4) != 0)
                StorePixel<BytesPerPixel>(pixels + _mm_cvtsi128_si32(_mm_shuffle_epi32(offsets, 2)), colour2);
            if ((inside & 8) != 0)
                StorePixel<BytesPerPixel>(pixels + _mm_cvtsi128_si32(_mm_shuffle_epi32(offsets, 3)), colour3);
        }
    }
#endif
    DrawOneByOne<BytesPerPixel, Clip>(list, i, d, [](double value) { return TruncateToInt32(value); });
}

// Whether every listed pixel, turned by any angle about the pivot on (x, y), lands inside the clip size.
// A turned pixel lies no farther from the pivot than in the image (c and s are a unit vector up to
// single-precision rounding); two pixels of margin cover that rounding and the truncation.
bool FitsInside(const PixelList& list, const DrawSetup& d)
{
    const int64_t radius = static_cast<int64_t>(std::sqrt(double(list.farthestSquared))) + 2;
    return d.x - radius >= 0 && d.x + radius < int64_t(d.clipWidth) && d.y - radius >= 0 &&
           d.y + radius < int64_t(d.clipHeight);
}

// The formula pixel by pixel, for images too large to list: every set bit through the plot. Positions in
// 64 bits, so that no pivot or pixel far out can wrap around onto the surface.
void DrawBitByBit(const BitmapSprite& sprite, PixelSurface& surface, const DrawSetup& d)
{
    ForEachSetPixel(sprite, [&](int64_t rx, int64_t ry) {
        const double across = double(rx) * d.cosine - double(ry) * d.sine;
        const double down = double(rx) * d.sine + double(ry) * d.cosine;
        if (!(std::fabs(across) < 4.0e9 && std::fabs(down) < 4.0e9)) // far off any surface, or not a number
            return;
        const int64_t sx = d.x + static_cast<int64_t>(across), sy = d.y + static_cast<int64_t>(down);
        if (sx < 0 || sx >= int64_t(d.clipWidth) || sy < 0 || sy >= int64_t(d.clipHeight))
            return;
        const Colour colour = sprite.palette[(sprite.colourOffset + ShadingTerm(sprite.shadingMode, rx, ry)) & 0xFF];
        surface.plot(static_cast<int32_t>(sx), static_cast<int32_t>(sy), colour.red, colour.green, colour.blue);
    });
}

} // namespace

void DrawSpritePixels(const BitmapSprite& sprite, double sine, double cosine, int32_t x, int32_t y)
{
    if (sprite.imageSize <= 0 || sprite.bytesPerRow <= 0 || sprite.image == nullptr)
        return;
    PixelSurface& surface = pixelSurface;
    DrawSetup setup;
    setup.pixels = surface.pixels;
    setup.pitch = surface.pitch;
    setup.clipWidth = surface.clipWidth;
    setup.clipHeight = surface.clipHeight;
    setup.x = x;
    setup.y = y;
    setup.sine = sine;
    setup.cosine = cosine;
    const PixelList* list = pixelLists.recall([&](const PixelList& kept) { return Lists(kept, sprite); },
                                              [&](PixelList& kept) { return ListPixels(sprite, kept); });
    if (list == nullptr) {
        DrawBitByBit(sprite, surface, setup);
        return;
    }
    const PackedColours* packed =
        packedColours.recall([&](const PackedColours& kept) { return Packs(kept, sprite.palette, surface); },
                             [&](PackedColours& kept) {
                                 PackColours(sprite.palette, surface, kept);
                                 return true;
                             });
    setup.colours = packed->colours.data() + sprite.colourOffset;
    const bool fitsInside = FitsInside(*list, setup);
    WithPixelSize(surface.bytesPerPixel, [&](auto size) {
        if (fitsInside)
            DrawListed<size(), false>(*list, setup);
        else
            DrawListed<size(), true>(*list, setup);
    });
}
