// The palette ramp shared by the sprites and the wave field.
#include "show/palette.h"

#include <cmath>

uint8_t TruncatedLowByte(double value)
{
    if (!(std::fabs(value) < 9.0e18)) // huge or NaN: keep the conversion defined
        value = std::isnan(value) ? 0.0 : std::fmod(value, 256.0);
    return static_cast<uint8_t>(static_cast<int64_t>(value));
}

void FillPaletteRamp(Palette& palette, uint32_t first, int32_t count, uint32_t red0, uint32_t green0, uint32_t blue0,
                     uint32_t red1, uint32_t green1, uint32_t blue1)
{
    if (count <= 0)
        return;
    const double start[3] = {double(red0 & 0xFF), double(green0 & 0xFF), double(blue0 & 0xFF)};
    const double end[3] = {double(red1 & 0xFF), double(green1 & 0xFF), double(blue1 & 0xFF)};
    float step[3] = {0.0f, 0.0f, 0.0f};
    // A one-entry ramp has no step (its formula would be 0/0); it is just the start colour.
    if (count > 1) {
        for (int c = 0; c < 3; ++c)
            step[c] = static_cast<float>((end[c] - start[c]) / double(count - 1));
    }
    for (int32_t i = 0; i < count; ++i) {
        Colour& entry = palette[(first + static_cast<uint32_t>(i)) & 0xFF];
        entry.red = TruncatedLowByte(start[0] + double(i) * step[0]);
        entry.green = TruncatedLowByte(start[1] + double(i) * step[1]);
        entry.blue = TruncatedLowByte(start[2] + double(i) * step[2]);
    }
}
