// Drawing listed sprite pixels on the x87 (32-bit builds without SSE): in integers where they are exact
// (show/sprite_pixels_integer.cpp), else one by one, with the conversions truncating in the rounding mode
// rather than switching the mode around each of them.
#include <cmath>

#include "show/listed_pixels.h"
#include "show/portable_math.h"

#if !defined(__i386__) || defined(__SSE2_MATH__)
#error "sprite_pixels_x87.cpp is for 32-bit x86 builds that compute doubles on the x87"
#endif

namespace {

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
__attribute__((noinline)) void DrawTruncatingThroughout(const PixelList& list, const ListedDraw& draw)
{
    uint16_t rounding;
    asm volatile("fnstcw %0" : "=m"(rounding));
    const uint16_t truncating = rounding | 0x0C00; // rounding control 3: toward zero
    // Both switches are barriers to the compiler, so that every conversion stays between them.
    asm volatile("fldcw %0" : : "m"(truncating) : "memory");
    DrawOneByOne<BytesPerPixel, Clip>(list, 0, draw, [](double value) {
        int32_t converted;
        asm("fistpl %0" : "=m"(converted) : "t"(value) : "st");
        return converted;
    });
    asm volatile("fldcw %0" : : "m"(rounding) : "memory");
}

} // namespace

void DrawListedFast(const PixelList& list, const ListedDraw& draw)
{
    if (DrawListedInIntegers(list, draw))
        return;
    if (!ExactInEveryRounding(draw.sine, draw.cosine)) {
        DrawListedOneByOne(list, draw);
        return;
    }
    WithListedDrawKind(draw, [&](auto size, auto clip) { DrawTruncatingThroughout<size(), clip()>(list, draw); });
}
