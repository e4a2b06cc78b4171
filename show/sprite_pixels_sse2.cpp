// Drawing listed sprite pixels with SSE2: four pixels' positions at a time, stored in their order.
#include <emmintrin.h>

#include "show/listed_pixels.h"
#include "show/portable_math.h"

#if !defined(__SSE2__)
#error "sprite_pixels_sse2.cpp is for builds with SSE2"
#endif

namespace {

// What the four lanes of every group share: the draw's values, each in all four lanes.
struct Lanes {
    __m128d sines;
    __m128d cosines;
    __m128i pivotX;
    __m128i pivotY;
    __m128i sizes; // words (bytes per pixel, pitch), so that one multiply-add of words (sx, sy) finds an offset
    __m128i top;   // the top bit, flipped to compare unsigned values as signed ones
    __m128i width;
    __m128i height;
};

template <int BytesPerPixel> Lanes MakeLanes(const ListedDraw& d)
{
    Lanes lanes;
    lanes.sines = _mm_set1_pd(d.sine);
    lanes.cosines = _mm_set1_pd(d.cosine);
    lanes.pivotX = _mm_set1_epi32(d.x);
    lanes.pivotY = _mm_set1_epi32(d.y);
    lanes.sizes = _mm_set1_epi32(static_cast<int32_t>((static_cast<uint32_t>(d.pitch) << 16) | BytesPerPixel));
    lanes.top = _mm_set1_epi32(INT32_MIN);
    lanes.width = _mm_set1_epi32(static_cast<int32_t>(d.clipWidth ^ 0x80000000u));
    lanes.height = _mm_set1_epi32(static_cast<int32_t>(d.clipHeight ^ 0x80000000u));
    return lanes;
}

// The screen positions of the four listed pixels from place on, by the formula, in the lanes of sx and sy.
inline void TurnFour(const PixelPlace* place, const Lanes& lanes, __m128i& sx, __m128i& sy)
{
    const __m128i pairs = _mm_load_si128(reinterpret_cast<const __m128i*>(place));
    const __m128i rx = _mm_srai_epi32(_mm_slli_epi32(pairs, 16), 16), ry = _mm_srai_epi32(pairs, 16);
    const __m128d rx01 = _mm_cvtepi32_pd(rx), rx23 = _mm_cvtepi32_pd(_mm_shuffle_epi32(rx, 0xEE));
    const __m128d ry01 = _mm_cvtepi32_pd(ry), ry23 = _mm_cvtepi32_pd(_mm_shuffle_epi32(ry, 0xEE));
    const __m128d c = lanes.cosines, s = lanes.sines;
    const __m128i across01 = _mm_cvttpd_epi32(_mm_sub_pd(_mm_mul_pd(rx01, c), _mm_mul_pd(ry01, s)));
    const __m128i across23 = _mm_cvttpd_epi32(_mm_sub_pd(_mm_mul_pd(rx23, c), _mm_mul_pd(ry23, s)));
    const __m128i down01 = _mm_cvttpd_epi32(_mm_add_pd(_mm_mul_pd(rx01, s), _mm_mul_pd(ry01, c)));
    const __m128i down23 = _mm_cvttpd_epi32(_mm_add_pd(_mm_mul_pd(rx23, s), _mm_mul_pd(ry23, c)));
    sx = _mm_add_epi32(lanes.pivotX, _mm_unpacklo_epi64(across01, across23));
    sy = _mm_add_epi32(lanes.pivotY, _mm_unpacklo_epi64(down01, down23));
}

// Plots listed pixels i to i + 3, in their order.
template <int BytesPerPixel, bool Clip>
inline void DrawFour(const PixelList& list, int32_t i, const ListedDraw& d, const Lanes& lanes)
{
    __m128i sx, sy;
    TurnFour(list.places.data() + i, lanes, sx, sy);
    // Positions outside the clip saturate here, but those pixels are not stored.
    const __m128i offsets =
        _mm_madd_epi16(_mm_packs_epi32(_mm_unpacklo_epi32(sx, sy), _mm_unpackhi_epi32(sx, sy)), lanes.sizes);
    int inside = 0xF;
    if constexpr (Clip) {
        const __m128i insideX = _mm_cmplt_epi32(_mm_xor_si128(sx, lanes.top), lanes.width);
        const __m128i insideY = _mm_cmplt_epi32(_mm_xor_si128(sy, lanes.top), lanes.height);
        inside = _mm_movemask_ps(_mm_castsi128_ps(_mm_and_si128(insideX, insideY)));
    }
    // The colours are read before the first store, which could otherwise be taken to change them.
    const uint8_t* const terms = list.terms.data() + i;
    const uint32_t colour0 = d.colours[terms[0]], colour1 = d.colours[terms[1]];
    const uint32_t colour2 = d.colours[terms[2]], colour3 = d.colours[terms[3]];
    if ((inside & 1) != 0)
        StorePixel<BytesPerPixel>(d.pixels + _mm_cvtsi128_si32(offsets), colour0);
    if ((inside & 2) != 0)
        StorePixel<BytesPerPixel>(d.pixels + _mm_cvtsi128_si32(_mm_shuffle_epi32(offsets, 1)), colour1);
    if ((inside & 4) != 0)
        StorePixel<BytesPerPixel>(d.pixels + _mm_cvtsi128_si32(_mm_shuffle_epi32(offsets, 2)), colour2);
    if ((inside & 8) != 0)
        StorePixel<BytesPerPixel>(d.pixels + _mm_cvtsi128_si32(_mm_shuffle_epi32(offsets, 3)), colour3);
}

// Four pixels at a time where clip size and pitch fit 16 bits, as the offsets' multiply-add needs; the
// pixels left over, or all of them otherwise, one by one.
template <int BytesPerPixel, bool Clip>
[[gnu::noinline]] void DrawFourAtATime(const PixelList& list, const ListedDraw& draw)
{
    // A copy, so that the compiler need not reload its values after every byte stored into the frame.
    const ListedDraw d = draw;
    int32_t i = 0;
    if (d.clipWidth <= 32768 && d.clipHeight <= 32768 && d.pitch >= -32768 && d.pitch <= 32767) {
        const Lanes lanes = MakeLanes<BytesPerPixel>(d);
        for (const int32_t count = list.count; i + 4 <= count; i += 4)
            DrawFour<BytesPerPixel, Clip>(list, i, d, lanes);
    }
    DrawOneByOne<BytesPerPixel, Clip>(list, i, d, [](double value) { return TruncateToInt32(value); });
}

} // namespace

void DrawListedFast(const PixelList& list, const ListedDraw& draw)
{
    WithListedDrawKind(draw, [&](auto size, auto clip) { DrawFourAtATime<size(), clip()>(list, draw); });
}
