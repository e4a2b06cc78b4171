// The wave field four columns at a time (show/wave_field_fours.h), each block stored pixel by pixel: for
// processors without SSE2.
#include "show/wave_field_draws.h"
#include "show/wave_field_fours.h"

namespace {

template <int BytesPerPixel> struct StoreBlock {
    void operator()(uint8_t* at, intptr_t pitch, const BlockColours& colours, int rows) const
    {
        for (int j = 0; j < 4; ++j) {
            for (int r = 0; r < rows; ++r)
                StorePixel<BytesPerPixel>(at + r * pitch + j * BytesPerPixel, colours.columns[j][r]);
        }
    }
};

} // namespace

void DrawFieldColumnsInFours(const WaveField& field, int32_t x0, int32_t y0, int32_t shiftX)
{
    DrawFieldInFoursWith<StoreBlock>(field, x0, y0, shiftX);
}
