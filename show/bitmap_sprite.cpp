// Bitmap sprite: construction and the turned, colour-cycled draw.
#include "show/bitmap_sprite.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdlib>

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

// The low 8 bits of floor(sqrt(rx^2 + ry^2)) for |rx| < 256 and |ry| < 64, built at compile time: the
// radial shading's distances without a square root per pixel, from a table small enough to stay in the
// first-level cache, read along a row as the image is. Truncating the double-precision root of such
// integers gives the same values.
constexpr int distanceColumns = 256;
constexpr int distanceRows = 64;
using DistanceTable = std::array<std::array<uint8_t, distanceColumns>, distanceRows>;
constexpr DistanceTable MakeDistanceTable()
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
constexpr DistanceTable distanceTable = MakeDistanceTable();

// The shading term of a pixel rx columns and ry rows from the pivot; only its low 8 bits count.
template <uint8_t Mode> inline uint32_t ShadingTerm(int32_t rx, int32_t ry)
{
    if constexpr (Mode == shadingHorizontal) {
        return static_cast<uint32_t>(rx < 0 ? -rx : rx);
    } else if constexpr (Mode == shadingVertical) {
        return static_cast<uint32_t>(ry < 0 ? -ry : ry);
    } else if constexpr (Mode == shadingRadial) {
        const uint32_t ax = static_cast<uint32_t>(rx < 0 ? -int64_t(rx) : rx);
        const uint32_t ay = static_cast<uint32_t>(ry < 0 ? -int64_t(ry) : ry);
        if (ax < distanceColumns && ay < distanceRows)
            return distanceTable[ay][ax];
        return static_cast<uint32_t>(std::sqrt(double(int64_t(rx) * rx + int64_t(ry) * ry)));
    } else {
        return 0;
    }
}

// Plots every set bit of the sprite's image, last byte first and within a byte rightmost pixel first, so
// that where two pixels land on one screen position the same one wins on every build.
template <int BytesPerPixel, uint8_t Mode, bool Clip>
void DrawBits(const BitmapSprite& sprite, const PixelSurface& surface, float s, float c, int32_t x, int32_t y)
{
    // Locals, so that the compiler need not reload them after every byte stored into the frame.
    const uint32_t clipWidth = surface.clipWidth, clipHeight = surface.clipHeight;
    uint8_t* const pixels = surface.pixels;
    const intptr_t pitch = surface.pitch;
    const uint8_t* const image = sprite.image;

    const PackedPalette packed = PackPalette(surface, sprite.palette);

    const double sine = s;
    const double cosine = c;
    const uint32_t offset = sprite.colourOffset;
    int32_t row = (sprite.imageSize - 1) / sprite.bytesPerRow;
    int32_t byteColumn = (sprite.imageSize - 1) % sprite.bytesPerRow;
    for (int32_t n = sprite.imageSize - 1; n >= 0; --n) {
        uint32_t bits = image[n];
        if (bits != 0) {
            const int32_t ry = row - sprite.pivotY;
            // Products of a small integer and a float are exact in double, so precomputing the row's
            // share changes no bit of the sums below.
            const double rySine = ry * sine;
            const double ryCosine = ry * cosine;
            const int32_t byteLeft = 8 * byteColumn - sprite.pivotX;
            // One pixel: turned about the pivot, truncated toward zero (which pulls every position toward
            // the pivot, as the show always drew), clipped, shaded and stored.
            auto plot = [&](int32_t rx) {
                const int32_t sx = x + static_cast<int32_t>(rx * cosine - rySine);
                const int32_t sy = y + static_cast<int32_t>(rx * sine + ryCosine);
                if (!Clip || (static_cast<uint32_t>(sx) < clipWidth && static_cast<uint32_t>(sy) < clipHeight))
                    StorePixel<BytesPerPixel>(pixels + sy * pitch + sx * BytesPerPixel,
                                              packed[(offset + ShadingTerm<Mode>(rx, ry)) & 0xFF]);
            };
            if (bits == 0xFF) {
                // A solid byte, common inside figures: a loop of fixed length, free of mispredicted exits.
                for (int32_t rx = byteLeft + 7; rx >= byteLeft; --rx)
                    plot(rx);
            } else {
                do {
                    // The lowest set bit is the rightmost pixel left in the byte.
                    plot(byteLeft + 7 - std::countr_zero(bits));
                    bits &= bits - 1;
                } while (bits != 0);
            }
        }
        if (--byteColumn < 0) {
            byteColumn = sprite.bytesPerRow - 1;
            --row;
        }
    }
}

// Whether every pixel of the sprite, turned by any angle about its pivot on (x, y), lands inside the clip
// size: then the per-pixel clip test can go. A turned pixel lies no farther from the pivot than its
// distance in the image (c and s are a unit vector up to single-precision rounding); two pixels of margin
// cover that rounding and the truncation.
bool FitsInside(const BitmapSprite& sprite, const PixelSurface& surface, int32_t x, int32_t y)
{
    const int64_t lastColumn = int64_t(sprite.bytesPerRow) * 8 - 1;
    const int64_t lastRow = (sprite.imageSize - 1) / sprite.bytesPerRow;
    const int64_t reachX = std::max<int64_t>(std::abs(int64_t(sprite.pivotX)), std::abs(lastColumn - sprite.pivotX));
    const int64_t reachY = std::max<int64_t>(std::abs(int64_t(sprite.pivotY)), std::abs(lastRow - sprite.pivotY));
    const int64_t reach = static_cast<int64_t>(std::sqrt(double(reachX * reachX + reachY * reachY))) + 2;
    return x - reach >= 0 && x + reach < int64_t(surface.clipWidth) && y - reach >= 0 &&
           y + reach < int64_t(surface.clipHeight);
}

template <int BytesPerPixel, uint8_t Mode>
void DrawBitsClipped(const BitmapSprite& sprite, const PixelSurface& surface, float s, float c, int32_t x, int32_t y)
{
    if (FitsInside(sprite, surface, x, y))
        DrawBits<BytesPerPixel, Mode, false>(sprite, surface, s, c, x, y);
    else
        DrawBits<BytesPerPixel, Mode, true>(sprite, surface, s, c, x, y);
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
    const float s = static_cast<float>(PortableSine(radians));
    const float c = static_cast<float>(PortableCosine(radians));

    if (imageSize <= 0 || bytesPerRow <= 0 || image == nullptr)
        return;
    WithShadingMode(shadingMode, [&](auto mode) {
        WithPixelSize(pixelSurface.bytesPerPixel,
                      [&](auto size) { DrawBitsClipped<size(), mode()>(*this, pixelSurface, s, c, x, y); });
    });
}
