// Bitmap sprite: construction and the turned, colour-cycled draw.
#include "show/bitmap_sprite.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "show/pixel_surface.h"
#include "show/portable_math.h"
#include "show/random.h"
#include "show/units.h"

BitmapSprite::BitmapSprite(int32_t newWidth, int32_t newHeight, int32_t newImageSize, const uint8_t* newImage)
    : width(newWidth), height(newHeight), pivotX(newWidth / 2), pivotY(newHeight / 2), imageSize(newImageSize),
      bytesPerRow(newWidth / 8 + (newWidth % 8 != 0 ? 1 : 0)), image(newImage), angle(0.0f), angularSpeed(0.0f),
      colourOffset(0), colourPhase(0.0f), colourSpeed(0.0f), shadingMode(shadingFlat), palette()
{
    palette.fill(Colour{255, 255, 255});
    for (int i = 0; i < 256; ++i)
        NextRandom();
}

namespace {

// The low 8 bits of floor(sqrt(rx^2 + ry^2)) for |rx| < 256 and |ry| < 64, built at start-up: the
// radial shading's distances without a square root per pixel, from a table small enough to stay in the
// first-level cache, read along a row as the image is. Truncating the double-precision root of such
// integers gives the same values.
constexpr int distanceColumns = 256;
constexpr int distanceRows = 64;
using DistanceTable = std::array<std::array<uint8_t, distanceColumns>, distanceRows>;
DistanceTable MakeDistanceTable()
{
    DistanceTable table{};
    for (int ry = 0; ry < distanceRows; ++ry) {
        int root = ry;
        for (int rx = 0; rx < distanceColumns; ++rx) {
            while ((root + 1) * (root + 1) <= rx * rx + ry * ry)
                ++root;
            table[ry][rx] = static_cast<uint8_t>(root);
        }
    }
    return table;
}
// Worked out at start-up rather than at compile time: as data in the executable it would add 16 KB to a
// saver that is otherwise about 90 KB.
const DistanceTable distanceTable = MakeDistanceTable();

// The shading term of a pixel rx columns and ry rows from the pivot, by its definition; only its low 8 bits
// count. The runs below read the same values from distanceTable where it reaches.
uint32_t ShadingTerm(uint8_t mode, int32_t rx, int32_t ry)
{
    const int64_t ax = rx < 0 ? -int64_t(rx) : rx;
    const int64_t ay = ry < 0 ? -int64_t(ry) : ry;
    switch (mode) {
    case shadingHorizontal: return static_cast<uint32_t>(ax);
    case shadingVertical: return static_cast<uint32_t>(ay);
    case shadingRadial: return static_cast<uint32_t>(std::sqrt(double(ax * ax + ay * ay)));
    default: return 0;
    }
}

// How far the image reaches from its pivot across and down, counting the padding bits of the last byte of a
// row and the trailing bytes below the last row, which are drawn too.
struct Reach {
    int64_t across;
    int64_t down;
};
Reach ImageReach(const BitmapSprite& sprite)
{
    const int64_t lastColumn = int64_t(sprite.bytesPerRow) * 8 - 1;
    const int64_t lastRow = (sprite.imageSize - 1) / sprite.bytesPerRow;
    return {std::max<int64_t>(std::abs(int64_t(sprite.pivotX)), std::abs(lastColumn - sprite.pivotX)),
            std::max<int64_t>(std::abs(int64_t(sprite.pivotY)), std::abs(lastRow - sprite.pivotY))};
}

// Whether every pixel of the sprite, turned by any angle about its pivot on (x, y), lands inside the clip
// size: then the per-pixel clip test can go. A turned pixel lies no farther from the pivot than its
// distance in the image (c and s are a unit vector up to single-precision rounding); two pixels of margin
// cover that rounding and the truncation.
bool FitsInside(Reach reach, const PixelSurface& surface, int32_t x, int32_t y)
{
    const int64_t radius =
        static_cast<int64_t>(std::sqrt(double(reach.across * reach.across + reach.down * reach.down))) + 2;
    return x - radius >= 0 && x + radius < int64_t(surface.clipWidth) && y - radius >= 0 &&
           y + radius < int64_t(surface.clipHeight);
}

// A double rounded to single precision. Through a volatile, because GCC 12 at -O2 and above vectorises a pair
// of double-to-float-to-double conversions and drops the rounding on the way (both values land unrounded in
// one register).
float SinglePrecision(double value)
{
    volatile float rounded = static_cast<float>(value);
    return rounded;
}

// What every pixel of one draw shares, worked out once per draw.
struct DrawSetup {
    uint8_t* pixels;
    intptr_t pitch;
    uint32_t clipWidth;
    uint32_t clipHeight;
    int32_t x; // where the pivot lands
    int32_t y;
    float sine; // of the angle, in single precision
    float cosine;
    bool termsInTable;     // every pixel's distance across is in distanceTable
    PackedPalette colours; // by shading term: the packed palette entry (colourOffset + term) mod 256
};

// The runs of set pixels of one image row, right to left: for each, the column (from the pivot) of its
// rightmost pixel and its length. The row is read 64 pixels at a time, bit 0 the rightmost.
class RowRuns {
  public:
    RowRuns(const uint8_t* bytes, int32_t byteCount, int32_t pivotX)
        : bytes(bytes), unread(byteCount), word(0), column(8 * int64_t(byteCount) - 1 - pivotX), wordPixels(0)
    {
    }

    bool next(int32_t& rx, int32_t& count)
    {
        while (word == 0) {
            if (unread == 0)
                return false;
            column -= wordPixels; // the pixels of the empty word
            read();
        }
        const int clear = std::countr_zero(word);
        skip(clear);
        rx = static_cast<int32_t>(column);
        count = 0;
        // A run that reaches the word's left end may go on in the next word.
        for (;;) {
            const int set = std::countr_one(word);
            count += set;
            skip(set);
            if (wordPixels > 0 || unread == 0 || (bytes[unread - 1] & 1) == 0)
                return true;
            read();
        }
    }

  private:
    // The next (up to) eight bytes leftwards, byte-swapped so that the rightmost pixel is bit 0.
    void read()
    {
        const int32_t count = std::min<int32_t>(unread, 8);
        unread -= count;
        if (count == 8) {
            std::memcpy(&word, bytes + unread, 8);
            word = __builtin_bswap64(word); // little-endian: the last byte read is the rightmost
        } else {
            word = 0;
            for (int32_t k = 0; k < count; ++k)
                word = word << 8 | bytes[unread + k];
        }
        wordPixels = 8 * count;
    }
    void skip(int pixels)
    {
        word = pixels < 64 ? word >> pixels : 0;
        column -= pixels;
        wordPixels -= pixels;
    }

    const uint8_t* bytes;
    int32_t unread; // bytes of the row not yet read, from its start
    uint64_t word;  // pixels read and not yet taken, the rightmost in bit 0
    int64_t column; // of the pixel in bit 0, from the pivot
    int wordPixels; // pixels read and not yet taken
};

// Plots every set bit of the sprite's image, last byte first and within a byte rightmost pixel first, so
// that where two pixels land on one screen position the same one wins on every build. Within a row that
// order runs right to left, so each row is drawn as its runs of set pixels, rightmost run first.
//
// Each pixel lands where the formula puts it: x + trunc(rx * c - ry * s), y + trunc(rx * s + ry * c). The
// products of rx with c and s are exact in double (an integer below 2^29 times a single-precision value),
// so stepping them by c and s along a run gives the very values the formula multiplies out; the one rounded
// operation, the sum with the row's share, is done per pixel as in the formula, and the truncation is the
// conversion's own.
// Each pixel size and clipping compiled on its own: inlined into one function they would crowd the registers.
template <int BytesPerPixel, bool Clip>
__attribute__((noinline)) void DrawBits(const BitmapSprite& sprite, const DrawSetup& d)
{
    // Locals, so that the compiler need not reload them after every byte stored into the frame.
    uint8_t* const pixels = d.pixels;
    const intptr_t pitch = d.pitch;
    const uint32_t clipWidth = d.clipWidth, clipHeight = d.clipHeight;
    const int32_t x = d.x, y = d.y;
    const double sine = d.sine, cosine = d.cosine;
    const uint32_t* const colours = d.colours.data();
    const uint8_t mode = sprite.shadingMode;
    const bool termAcross = mode == shadingHorizontal || mode == shadingRadial;
#if defined(__SSE2__)
    // Four pixels of a run at a time where clip size and pitch fit 16 bits, so that one multiply-add of words
    // (sx, sy) with words (bytes per pixel, pitch) finds four pixels' offsets. Lane k of a run's first step
    // holds the pixel k columns left of its first: its products differ from the first one's by k * c and k * s.
    const bool fourAtOnce = clipWidth <= 32768 && clipHeight <= 32768 && pitch >= -32768 && pitch <= 32767;
    const __m128d acrossLanes01 = _mm_set_pd(-cosine, 0.0), acrossLanes23 = _mm_set_pd(-3.0 * cosine, -2.0 * cosine);
    const __m128d downLanes01 = _mm_set_pd(-sine, 0.0), downLanes23 = _mm_set_pd(-3.0 * sine, -2.0 * sine);
    const __m128d acrossStep = _mm_set1_pd(4.0 * cosine), downStep = _mm_set1_pd(4.0 * sine);
    const __m128i pivotX = _mm_set1_epi32(x), pivotY = _mm_set1_epi32(y);
    const __m128i sizes = _mm_set1_epi32(static_cast<int32_t>((static_cast<uint32_t>(pitch) << 16) | BytesPerPixel));
    // Unsigned comparisons, made signed by flipping the top bit.
    const __m128i top = _mm_set1_epi32(INT32_MIN);
    const __m128i width = _mm_set1_epi32(static_cast<int32_t>(clipWidth ^ 0x80000000u));
    const __m128i height = _mm_set1_epi32(static_cast<int32_t>(clipHeight ^ 0x80000000u));
#endif

    for (int32_t r = (sprite.imageSize - 1) / sprite.bytesPerRow; r >= 0; --r) {
        const int32_t ry = r - sprite.pivotY;
        const uint32_t ay = static_cast<uint32_t>(ry < 0 ? -int64_t(ry) : ry);
        const double rySine = ry * sine, ryCosine = ry * cosine;
#if defined(__SSE2__)
        const __m128d rowAcross = _mm_set1_pd(rySine), rowDown = _mm_set1_pd(ryCosine);
#endif
        // The row's shading terms: a row of distanceTable read one entry further per pixel (the distance
        // across shrinks until the pivot's column, then grows), or one entry for the modes whose term is
        // the same along a row; beyond the table, the definition pixel by pixel.
        const uint8_t* distances = nullptr;
        if (mode == shadingVertical)
            distances = &distanceTable[0][ay & 0xFF];
        else if (!termAcross)
            distances = &distanceTable[0][0];
        else if (d.termsInTable && (mode == shadingHorizontal || ay < distanceRows))
            distances = distanceTable[mode == shadingRadial ? ay : 0].data(); // row 0 holds the distance across

        // The trailing bytes below the image make a last row shorter than the others.
        const int32_t rowBytes = std::min(sprite.bytesPerRow, sprite.imageSize - r * sprite.bytesPerRow);
        RowRuns runs(sprite.image + r * sprite.bytesPerRow, rowBytes, sprite.pivotX);
        int32_t rx, count;
        while (runs.next(rx, count)) {
#if defined(__SSE2__)
            // Below three pixels the set-up costs more than it saves.
            if (fourAtOnce && count >= 3 && distances != nullptr) {
                do {
                    // A piece of the run whose terms are terms[0], terms[termStep], terms[2 * termStep] and so on.
                    int32_t piece = count;
                    const uint8_t* terms = distances;
                    std::ptrdiff_t termStep = 0;
                    if (termAcross && rx >= 0) {
                        piece = std::min(count, rx + 1); // from rx to the pivot's column
                        terms = distances + rx;
                        termStep = -1;
                    } else if (termAcross) {
                        terms = distances - rx;
                        termStep = 1;
                    }
                    count -= piece;
                    const __m128d across = _mm_set1_pd(rx * cosine), down = _mm_set1_pd(rx * sine);
                    __m128d across01 = _mm_add_pd(across, acrossLanes01), across23 = _mm_add_pd(across, acrossLanes23);
                    __m128d down01 = _mm_add_pd(down, downLanes01), down23 = _mm_add_pd(down, downLanes23);
                    rx -= piece;
                    for (; piece > 0; piece -= 4, terms += 4 * termStep) {
                        const __m128i sx = _mm_add_epi32(
                            pivotX, _mm_unpacklo_epi64(_mm_cvttpd_epi32(_mm_sub_pd(across01, rowAcross)),
                                                       _mm_cvttpd_epi32(_mm_sub_pd(across23, rowAcross))));
                        const __m128i sy =
                            _mm_add_epi32(pivotY, _mm_unpacklo_epi64(_mm_cvttpd_epi32(_mm_add_pd(down01, rowDown)),
                                                                     _mm_cvttpd_epi32(_mm_add_pd(down23, rowDown))));
                        across01 = _mm_sub_pd(across01, acrossStep);
                        across23 = _mm_sub_pd(across23, acrossStep);
                        down01 = _mm_sub_pd(down01, downStep);
                        down23 = _mm_sub_pd(down23, downStep);
                        // Positions outside the clip saturate here, but those pixels are not stored.
                        const __m128i offsets = _mm_madd_epi16(
                            _mm_packs_epi32(_mm_unpacklo_epi32(sx, sy), _mm_unpackhi_epi32(sx, sy)), sizes);
                        int inside = 0xF;
                        if constexpr (Clip) {
                            const __m128i insideX = _mm_cmplt_epi32(_mm_xor_si128(sx, top), width);
                            const __m128i insideY = _mm_cmplt_epi32(_mm_xor_si128(sy, top), height);
                            inside = _mm_movemask_ps(_mm_castsi128_ps(_mm_and_si128(insideX, insideY)));
                        }
                        // The last step may hold fewer than four pixels; the lanes past the piece are not stored.
                        if ((inside & 1) != 0)
                            StorePixel<BytesPerPixel>(pixels + _mm_cvtsi128_si32(offsets), colours[terms[0]]);
                        if (piece > 1 && (inside & 2) != 0)
                            StorePixel<BytesPerPixel>(pixels + _mm_cvtsi128_si32(_mm_shuffle_epi32(offsets, 1)),
                                                      colours[terms[termStep]]);
                        if (piece > 2 && (inside & 4) != 0)
                            StorePixel<BytesPerPixel>(pixels + _mm_cvtsi128_si32(_mm_shuffle_epi32(offsets, 2)),
                                                      colours[terms[2 * termStep]]);
                        if (piece > 3 && (inside & 8) != 0)
                            StorePixel<BytesPerPixel>(pixels + _mm_cvtsi128_si32(_mm_shuffle_epi32(offsets, 3)),
                                                      colours[terms[3 * termStep]]);
                    }
                } while (count > 0);
                continue;
            }
#endif
            for (; count > 0; --count, --rx) {
                const uint32_t term = distances == nullptr ? ShadingTerm(mode, rx, ry)
                                      : termAcross         ? distances[rx < 0 ? -rx : rx]
                                                           : distances[0];
                // Within an image's reach of the pivot, far inside TruncateToInt32's range.
                const int32_t sx = x + TruncateToInt32(rx * cosine - rySine);
                const int32_t sy = y + TruncateToInt32(rx * sine + ryCosine);
                if (!Clip || (static_cast<uint32_t>(sx) < clipWidth && static_cast<uint32_t>(sy) < clipHeight))
                    StorePixel<BytesPerPixel>(pixels + sy * pitch + sx * BytesPerPixel, colours[term & 0xFF]);
            }
        }
    }
}

// The largest shading term a pixel of the sprite can have, or 256 when terms can wrap: the palette entries
// a draw needs packed.
uint32_t PackedEntries(uint8_t mode, Reach reach)
{
    int64_t largest = 0;
    if (mode == shadingHorizontal)
        largest = reach.across;
    else if (mode == shadingVertical)
        largest = reach.down;
    else if (mode == shadingRadial)
        largest = static_cast<int64_t>(std::sqrt(double(reach.across * reach.across + reach.down * reach.down)));
    return largest < 255 ? static_cast<uint32_t>(largest) + 1 : 256;
}

} // namespace

void BitmapSprite::draw(float frameDelta, int32_t x, int32_t y)
{
    // The offset is taken from the exact sum, before the phase is rounded to single precision.
    const double phase = double(colourPhase) + double(frameDelta) * double(colourSpeed);
    colourPhase = static_cast<float>(phase);
    colourOffset = TruncatedLowByte(phase);

    // One fold each way at most: a step of more than a turn is not folded in one draw, and exactly 360 stays.
    angle = static_cast<float>(double(angle) + double(frameDelta) * double(angularSpeed));
    if (angle > 360.0)
        angle = static_cast<float>(angle - 360.0);
    if (angle < 0.0)
        angle = static_cast<float>(angle + 360.0);

    const double radians = angle * degreesToRadians;
    const float s = SinglePrecision(PortableSine(radians));
    const float c = SinglePrecision(PortableCosine(radians));

    if (imageSize <= 0 || bytesPerRow <= 0 || image == nullptr)
        return;
    const PixelSurface& surface = pixelSurface;
    const Reach reach = ImageReach(*this);
    DrawSetup setup;
    setup.pixels = surface.pixels;
    setup.pitch = surface.pitch;
    setup.clipWidth = surface.clipWidth;
    setup.clipHeight = surface.clipHeight;
    setup.x = x;
    setup.y = y;
    setup.sine = s;
    setup.cosine = c;
    setup.termsInTable = reach.across < distanceColumns;
    setup.colours = PackPalette(surface, palette, colourOffset, PackedEntries(shadingMode, reach));
    const bool fitsInside = FitsInside(reach, surface, x, y);
    WithPixelSize(surface.bytesPerPixel, [&](auto size) {
        if (fitsInside)
            DrawBits<size(), false>(*this, setup);
        else
            DrawBits<size(), true>(*this, setup);
    });
}
