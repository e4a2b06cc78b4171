// The wave field four columns at a time (show/wave_field_fours.h), each block turned a quarter and stored
// four pixels at a time with SSE2.
#include <cstring>

#include <emmintrin.h>

#include "show/wave_field_draws.h"
#include "show/wave_field_fours.h"

#if !defined(__SSE2__)
#error "wave_field_fours_sse2.cpp is for builds with SSE2"
#endif

namespace {

// Stores four packed pixels held in the four 32-bit lanes of v (lane 0 leftmost) as BytesPerPixel bytes each.
template <int BytesPerPixel> inline void StoreFourPixels(uint8_t* at, __m128i v)
{
    if constexpr (BytesPerPixel == 4) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(at), v);
    } else if constexpr (BytesPerPixel == 2) {
        // The low words of the lanes, side by side.
        v = _mm_shufflelo_epi16(v, _MM_SHUFFLE(3, 3, 2, 0));
        v = _mm_shufflehi_epi16(v, _MM_SHUFFLE(3, 3, 2, 0));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(at), _mm_shuffle_epi32(v, _MM_SHUFFLE(3, 3, 2, 0)));
    } else if constexpr (BytesPerPixel == 1) {
        // Lanes below 256 pack without saturating.
        v = _mm_packus_epi16(_mm_packs_epi32(v, v), v);
        const uint32_t four = static_cast<uint32_t>(_mm_cvtsi128_si32(v));
        std::memcpy(at, &four, 4);
    } else {
        // Lanes below 2^24: in each 64-bit half, the upper lane's three bytes go right after the lower lane's,
        // then the upper half's six bytes right after the lower half's.
        const __m128i pairs =
            _mm_or_si128(_mm_and_si128(v, _mm_set_epi32(0, -1, 0, -1)), _mm_slli_epi64(_mm_srli_epi64(v, 32), 24));
        const __m128i upper = _mm_srli_si128(pairs, 8);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(at), _mm_or_si128(pairs, _mm_slli_epi64(upper, 48)));
        const uint32_t last = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_epi64(upper, 16)));
        std::memcpy(at + 8, &last, 4);
    }
}

// Stores a block: its four columns of four colours, turned into four rows of four pixels.
template <int BytesPerPixel> struct StoreBlock {
    void operator()(uint8_t* at, intptr_t pitch, const BlockColours& colours, int rows) const
    {
        auto four = [&](int j) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(colours.columns[j])); };
        const __m128i c0 = four(0), c1 = four(1), c2 = four(2), c3 = four(3);
        const __m128i upper01 = _mm_unpacklo_epi32(c0, c1), lower01 = _mm_unpackhi_epi32(c0, c1);
        const __m128i upper23 = _mm_unpacklo_epi32(c2, c3), lower23 = _mm_unpackhi_epi32(c2, c3);
        StoreFourPixels<BytesPerPixel>(at, _mm_unpacklo_epi64(upper01, upper23));
        if (rows > 1)
            StoreFourPixels<BytesPerPixel>(at + pitch, _mm_unpackhi_epi64(upper01, upper23));
        if (rows > 2)
            StoreFourPixels<BytesPerPixel>(at + 2 * pitch, _mm_unpacklo_epi64(lower01, lower23));
        if (rows > 3)
            StoreFourPixels<BytesPerPixel>(at + 3 * pitch, _mm_unpackhi_epi64(lower01, lower23));
    }
};

} // namespace

void DrawFieldColumnsInFours(const WaveField& field, int32_t x0, int32_t y0, int32_t shiftX)
{
    DrawFieldInFoursWith<StoreBlock>(field, x0, y0, shiftX);
}
