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
// Along a run of neighbours in a row the numerators change by -C and -S from pixel to pixel: there only the
// low halves are added, and their carries move the frame address by one pixel or one row more.
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

// A numerator scaled by 2^32, divided by 2^32 and truncated toward zero (whole), and what a stepping along
// a run needs to go on from it (fraction). A negative numerator is moved up by 2^32 - 1 first, so that taking
// the high half, which rounds down, rounds toward zero; the fraction is the moved numerator's low half.
struct Split {
    int32_t whole;
    uint32_t fraction;
};

inline Split SplitTowardZero(int64_t scaled)
{
    // The sign as a mask of the low half, so that no branch waits on it.
    const int64_t moved = scaled + static_cast<uint32_t>(static_cast<int32_t>(scaled >> 32) >> 31);
    return {static_cast<int32_t>(moved >> 32), static_cast<uint32_t>(moved)};
}

// The tables as the draws read them: entry rx or ry, from -tableReach on.
struct Multiples {
    const int64_t* cosinesAcross = columnCosines.data() + tableReach;
    const int64_t* sinesAcross = columnSines.data() + tableReach;
    const int64_t* sinesDown = rowSines.data() + tableReach;
    const int64_t* cosinesDown = rowCosines.data() + tableReach;

    int64_t across(int32_t rx, int32_t ry) const { return cosinesAcross[rx] - sinesDown[ry]; }
    int64_t down(int32_t rx, int32_t ry) const { return sinesAcross[rx] + cosinesDown[ry]; }
};

// A clipped draw, pixel by pixel from the tables.
template <int BytesPerPixel> [[gnu::noinline]] void DrawClipped(const PixelList& list, const ListedDraw& draw)
{
    // Copies, so that the compiler need not reload them after every byte stored into the frame.
    const ListedDraw d = draw;
    const PixelPlace* const places = list.places.data();
    const uint8_t* const terms = list.terms.data();
    const intptr_t* const offsets = rowOffsets.offsets.data();
    const Multiples m;
    for (int32_t i = 0, count = list.count; i < count; ++i) {
        const int32_t rx = places[i].rx, ry = places[i].ry;
        // Unsigned sums, as in the definition: the clip test drops what wrapped.
        const uint32_t sx = static_cast<uint32_t>(d.x) + static_cast<uint32_t>(SplitTowardZero(m.across(rx, ry)).whole);
        const uint32_t sy = static_cast<uint32_t>(d.y) + static_cast<uint32_t>(SplitTowardZero(m.down(rx, ry)).whole);
        if (sx < d.clipWidth && sy < d.clipHeight)
            StorePixel<BytesPerPixel>(d.pixels + offsets[sy] + intptr_t(int32_t(sx)) * BytesPerPixel,
                                      d.colours[terms[i]]);
    }
}

// The number of pixels from the first, of count (at least 1), whose numerators lie on the same side of zero as
// the first's (first; numeratorAt(k) gives the others'). Along a run the numerator changes linearly, so the
// pixels on the first's side come first and a search by halves finds the first one on the other side.
template <typename NumeratorAt> int32_t SameSide(int32_t count, int64_t first, NumeratorAt&& numeratorAt)
{
    const bool negative = first < 0;
    int32_t same = 0, other = count - 1;
    if (other == 0)
        return 1;
    if ((numeratorAt(other) < 0) == negative)
        return count;
    while (other - same > 1) {
        const int32_t middle = same + (other - same) / 2;
        if ((numeratorAt(middle) < 0) == negative)
            same = middle;
        else
            other = middle;
    }
    return other;
}

// How the pixels of a run step, each one column left of the one before: -C across and -S down, as unsigned
// low halves, and the frame address's step by their high halves (columns and rows of -1, 0 or 1).
struct RunSteps {
    uint32_t acrossLow;
    uint32_t downLow;
    intptr_t step;
    intptr_t pitch;
};

// Stores the pixels of terms up to end, the first at at: the fractions step by the low halves, the address
// by the step plus one pixel or one row where they carry. Its own function, so that the few values that
// change get the registers.
template <int BytesPerPixel>
[[gnu::noinline]] void StoreRun(uint8_t* at, const uint8_t* term, const uint8_t* const end,
                                const uint32_t* const colours, uint32_t acrossFraction, uint32_t downFraction,
                                const RunSteps steps)
{
    do {
        StorePixel<BytesPerPixel>(at, colours[*term]);
        // A sum carried where it came out below what was added. The carries move the address as masks (a
        // branch on them would be mispredicted half of the time), but for a byte-sized pixel across, which
        // the compiler adds with the carry itself.
        acrossFraction += steps.acrossLow;
        downFraction += steps.downLow;
        const intptr_t acrossCarry = -intptr_t(acrossFraction < steps.acrossLow);
        const intptr_t downCarry = -intptr_t(downFraction < steps.downLow);
        if constexpr (BytesPerPixel == 1)
            at += steps.step - acrossCarry + (downCarry & steps.pitch);
        else
            at += steps.step + (acrossCarry & BytesPerPixel) + (downCarry & steps.pitch);
    } while (++term != end);
}

// An unclipped draw along the list's runs. Within a run each pixel lies one column left of the one before,
// so its numerators are the previous ones minus C and minus S, and StoreRun steps the address with no table
// and no 64-bit sum. The moving-up of negative numerators differs on the two sides of zero, so a run is
// split where either numerator changes sign, and each part starts afresh from the tables; runs too short to
// repay finding the sides are drawn pixel by pixel from the tables.
template <int BytesPerPixel>
[[gnu::noinline]] void DrawAlongRuns(const PixelList& list, const ListedDraw& draw, int64_t cosine, int64_t sine)
{
    constexpr int32_t shortRun = 3;
    const ListedDraw d = draw;
    const PixelPlace* const places = list.places.data();
    const uint8_t* const terms = list.terms.data();
    const intptr_t* const offsets = rowOffsets.offsets.data();
    const Multiples m;
    const RunSteps steps = {static_cast<uint32_t>(-cosine), static_cast<uint32_t>(-sine),
                            intptr_t(int32_t(-cosine >> 32)) * BytesPerPixel + intptr_t(int32_t(-sine >> 32)) * d.pitch,
                            d.pitch};
    // The frame address of a pixel (unclipped: every pixel lands inside the clip size).
    const auto address = [&](Split sx, Split sy) {
        return d.pixels + offsets[static_cast<uint32_t>(d.y) + static_cast<uint32_t>(sy.whole)] +
               intptr_t(int32_t(static_cast<uint32_t>(d.x) + static_cast<uint32_t>(sx.whole))) * BytesPerPixel;
    };
    for (int32_t i = 0, r = 0, runCount = list.runCount; r < runCount; ++r) {
        const int32_t ry = places[i].ry;
        int32_t left = list.runLengths[r];
        if (left <= shortRun) {
            for (const int32_t end = i + left; i < end; ++i) {
                const int32_t rx = places[i].rx;
                StorePixel<BytesPerPixel>(address(SplitTowardZero(m.across(rx, ry)), SplitTowardZero(m.down(rx, ry))),
                                          d.colours[terms[i]]);
            }
            continue;
        }
        while (left > 0) {
            const int32_t rx = places[i].rx;
            const int64_t across = m.across(rx, ry), down = m.down(rx, ry);
            const int32_t count = SameSide(left, across, [&](int32_t k) { return m.across(rx - k, ry); });
            const int32_t same = SameSide(count, down, [&](int32_t k) { return m.down(rx - k, ry); });
            const Split sx = SplitTowardZero(across), sy = SplitTowardZero(down);
            StoreRun<BytesPerPixel>(address(sx, sy), terms + i, terms + i + same, d.colours, sx.fraction, sy.fraction,
                                    steps);
            i += same;
            left -= same;
        }
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
    if (draw.clip)
        WithPixelSize(draw.bytesPerPixel, [&](auto size) { DrawClipped<size()>(list, draw); });
    else
        WithPixelSize(draw.bytesPerPixel, [&](auto size) { DrawAlongRuns<size()>(list, draw, cosine, sine); });
    return true;
}
