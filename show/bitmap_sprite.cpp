// Bitmap sprite: construction and the turned, colour-cycled draw.
#include "show/bitmap_sprite.h"

#include <cmath>

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

// The shading term of a pixel rx columns and ry rows from the pivot; only its low 8 bits count.
inline uint32_t ShadingTerm(uint8_t mode, int32_t rx, int32_t ry)
{
    switch (mode) {
    case shadingHorizontal: return static_cast<uint32_t>(rx < 0 ? -rx : rx);
    case shadingVertical: return static_cast<uint32_t>(ry < 0 ? -ry : ry);
    case shadingRadial:
        return static_cast<uint32_t>(std::sqrt(double(int64_t(rx) * rx + int64_t(ry) * ry)));
    default: return 0;
    }
}

// Plots every set bit of the sprite's image, last byte first and within a byte rightmost pixel first, so
// that where two pixels land on one screen position the same one wins on every build.
template <int BytesPerPixel>
void DrawBits(const BitmapSprite& sprite, PixelSurface& surface, float s, float c, int32_t x, int32_t y)
{
    const double sine = s;
    const double cosine = c;
    int32_t row = (sprite.imageSize - 1) / sprite.bytesPerRow;
    int32_t byteColumn = (sprite.imageSize - 1) % sprite.bytesPerRow;
    for (int32_t n = sprite.imageSize - 1; n >= 0; --n) {
        const uint8_t bits = sprite.image[n];
        if (bits != 0) {
            const int32_t ry = row - sprite.pivotY;
            // Products of a small integer and a float are exact in double, so precomputing the row's
            // share changes no bit of the sums below.
            const double rySine = ry * sine;
            const double ryCosine = ry * cosine;
            for (int32_t k = 7; k >= 0; --k) {
                if ((bits & (0x80u >> k)) == 0)
                    continue;
                const int32_t rx = 8 * byteColumn + k - sprite.pivotX;
                const Colour colour =
                    sprite.palette[(sprite.colourOffset + ShadingTerm(sprite.shadingMode, rx, ry)) & 0xFF];
                // Truncation toward zero pulls every position toward the pivot, as the show always drew.
                const int32_t sx = x + static_cast<int32_t>(rx * cosine - rySine);
                const int32_t sy = y + static_cast<int32_t>(rx * sine + ryCosine);
                if (surface.contains(sx, sy))
                    StorePixel<BytesPerPixel>(surface.address(sx, sy),
                                              surface.pack(colour.red, colour.green, colour.blue));
            }
        }
        if (--byteColumn < 0) {
            byteColumn = sprite.bytesPerRow - 1;
            --row;
        }
    }
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
    WithPixelSize(pixelSurface.bytesPerPixel,
                  [&](auto size) { DrawBits<size()>(*this, pixelSurface, s, c, x, y); });
}
