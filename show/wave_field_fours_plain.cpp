// The wave field four columns at a time (show/wave_field_fours.h), for processors without SSE2: each row of
// a block gathered from its four columns into whole 32-bit words, one store per four bytes (one per four
// pixels at 8 bits per pixel), as StorePixel's little-endian stores would leave them.
#include "show/wave_field_draws.h"
#include "show/wave_field_fours.h"

namespace {

// Row r of a block: its four pixels, each cut to its bytes, side by side from at on; byte-sized ones or-ed
// together from the strip and its shifted copies.
template <int BytesPerPixel> inline void StoreBlockRow(uint8_t* at, const BlockColours& colours, int r)
{
    const uint32_t c0 = colours.columns[0][r];
    if constexpr (BytesPerPixel == 1) {
        StorePixel<4>(at, c0 | colours.shifted[0][r] | colours.shifted[1][r] | colours.shifted[2][r]);
        return;
    }
    const uint32_t c1 = colours.columns[1][r], c2 = colours.columns[2][r], c3 = colours.columns[3][r];
    if constexpr (BytesPerPixel == 2) {
        StorePixel<4>(at, c0 | c1 << 16);
        StorePixel<4>(at + 4, c2 | c3 << 16);
    } else if constexpr (BytesPerPixel == 3) {
        StorePixel<4>(at, c0 | c1 << 24);
        StorePixel<4>(at + 4, c1 >> 8 | c2 << 16);
        StorePixel<4>(at + 8, c2 >> 16 | c3 << 8);
    } else if constexpr (BytesPerPixel == 4) {
        StorePixel<4>(at, c0);
        StorePixel<4>(at + 4, c1);
        StorePixel<4>(at + 8, c2);
        StorePixel<4>(at + 12, c3);
    }
}

template <int BytesPerPixel> struct StoreBlock {
    static constexpr bool gathersShiftedBytes = BytesPerPixel == 1;

    void operator()(uint8_t* at, intptr_t pitch, const BlockColours& colours, int rows) const
    {
        for (int r = 0; r < rows; ++r, at += pitch)
            StoreBlockRow<BytesPerPixel>(at, colours, r);
    }
};

} // namespace

void DrawFieldColumnsInFours(const WaveField& field, int32_t x0, int32_t y0, int32_t shiftX)
{
    DrawFieldInFoursWith<StoreBlock>(field, x0, y0, shiftX);
}
