// Drawing listed sprite pixels in integer arithmetic, for the draws whose formula is exact in double.
//
// Where the sine and cosine are at most 1 in magnitude and multiples of 2^-32 (every single-precision value
// of magnitude 2^-9 or more is one, and zero), S = sine * 2^32 and C = cosine * 2^32 are integers of at most
// 2^32 in magnitude, and each of sine and cosine has at most 32 significant bits. A product rx * cosine
// (|rx| <= 2^15) then has at most 32 + 16 and is exact in double, and so is the sum rx * cosine - ry * sine,
// a multiple of 2^-32 of at most 2^16 in magnitude (at most 48 significant bits): the formula truncates the
// rational (rx * C - ry * S) / 2^32, whose numerator (at most 2^48) 64-bit integers hold exactly, and they
// truncate it alike. Likewise rx * sine + ry * cosine. So every pixel lands where the definition puts it,
// with no floating-point operation per pixel: the products come from tables of the multiples of C and S
// over the list's columns and rows, built by additions once per draw, and the rows' offsets in the frame
// from a table of the multiples of the pitch. On a 32-bit processor a 64-bit sum is an add and an add with
// carry, and the truncation toward zero the high half, once a negative numerator is moved up by 2^32 - 1.
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "show/listed_pixels.h"

namespace {

// The tables cover rx and ry from -tableReach to tableReach - 1, each value at its own fixed entry, so that
// a pixel's entries are found from its rx and ry alone.
inline constexpr int32_t tableReach = 1024;
inline constexpr uint32_t rowTableSize = 2048;

// rx * C, rx * S, ry * S and ry * C, at entry tableReach + rx or tableReach + ry.
std::array<int64_t, 2 * tableReach> columnCosines;
std::array<int64_t, 2 * tableReach> columnSines;
std::array<int64_t, 2 * tableReach> rowSines;
std::array<int64_t, 2 * tableReach> rowCosines;

// sy * pitch for every row of the clip height; rebuilt when the pitch or the clip height changes.
struct RowOffsets {
    intptr_t pitch = 0;
    uint32_t height = 0;
    std::array<intptr_t, rowTableSize> offsets;
};
RowOffsets rowOffsets;

// factor * m at entry tableReach + m of table, for m from first to last, by additions.
void FillMultiples(std::array<int64_t, 2 * tableReach>& table, int32_t first, int32_t last, int64_t factor)
{
    int64_t value = first * factor;
    for (int32_t m = first; m <= last; ++m, value += factor)
        table[std::size_t(tableReach + m)] = value;
}

// A numerator scaled by 2^32 divided by 2^32, truncated toward zero: a negative one is moved up by 2^32 - 1
// first, so that taking the high half, which rounds down, rounds toward zero.
inline int32_t TruncateScaled(int64_t scaled)
{
    const uint32_t upward = static_cast<uint32_t>(static_cast<int32_t>(scaled >> 32) >> 31);
    return static_cast<int32_t>((scaled + upward) >> 32);
}

template <int BytesPerPixel, bool Clip>
__attribute__((noinline)) void DrawFromTables(const PixelList& list, const ListedDraw& draw)
{
    // Copies, so that the compiler need not reload them after every byte stored into the frame.
    const ListedDraw d = draw;
    const PixelPlace* const places = list.places.data();
    const uint8_t* const terms = list.terms.data();
    const intptr_t* const offsets = rowOffsets.offsets.data();
    const int64_t* const cosinesAcross = columnCosines.data() + tableReach;
    const int64_t* const sinesAcross = columnSines.data() + tableReach;
    const int64_t* const sinesDown = rowSines.data() + tableReach;
    const int64_t* const cosinesDown = rowCosines.data() + tableReach;
    for (int32_t i = 0, count = list.count; i < count; ++i) {
        const int32_t rx = places[i].rx, ry = places[i].ry;
        // Unsigned sums, as in the definition: the clip test drops what wrapped.
        const uint32_t sx =
            static_cast<uint32_t>(d.x) + static_cast<uint32_t>(TruncateScaled(cosinesAcross[rx] - sinesDown[ry]));
        const uint32_t sy =
            static_cast<uint32_t>(d.y) + static_cast<uint32_t>(TruncateScaled(sinesAcross[rx] + cosinesDown[ry]));
        // Unclipped, every pixel lands inside the clip size, so sy indexes the row table.
        if (!Clip || (sx < d.clipWidth && sy < d.clipHeight))
            StorePixel<BytesPerPixel>(d.pixels + offsets[sy] + intptr_t(int32_t(sx)) * BytesPerPixel,
                                      d.colours[terms[i]]);
    }
}

// value * 2^32 in scaled when that is an integer and value is at most 1 in magnitude.
bool ScaledExactly(double value, int64_t& scaled)
{
    if (!(std::fabs(value) <= 1.0))
        return false;
    const double times = value * 0x1p32; // exact: a power of two
    scaled = static_cast<int64_t>(times);
    return double(scaled) == times;
}

} // namespace

bool DrawListedInIntegers(const PixelList& list, const ListedDraw& draw)
{
    int64_t sine, cosine;
    if (!ScaledExactly(draw.sine, sine) || !ScaledExactly(draw.cosine, cosine) || list.left < -tableReach ||
        list.right >= tableReach || list.top < -tableReach || list.bottom >= tableReach ||
        draw.clipHeight > rowTableSize)
        return false;
    FillMultiples(columnCosines, list.left, list.right, cosine);
    FillMultiples(columnSines, list.left, list.right, sine);
    FillMultiples(rowSines, list.top, list.bottom, sine);
    FillMultiples(rowCosines, list.top, list.bottom, cosine);
    if (rowOffsets.pitch != draw.pitch || rowOffsets.height != draw.clipHeight) {
        for (uint32_t sy = 0; sy < draw.clipHeight; ++sy)
            rowOffsets.offsets[sy] = intptr_t(sy) * draw.pitch;
        rowOffsets.pitch = draw.pitch;
        rowOffsets.height = draw.clipHeight;
    }
    WithListedDrawKind(draw, [&](auto size, auto clip) { DrawFromTables<size(), clip()>(list, draw); });
    return true;
}
