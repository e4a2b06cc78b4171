// Bitmap sprite: construction and the turned, colour-cycled draw.
#include "show/bitmap_sprite.h"

#include "show/portable_math.h"
#include "show/random.h"
#include "show/sprite_pixels.h"
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

// A double rounded to single precision. Through a volatile, because GCC 12 at -O2 and above vectorises a pair
// of double-to-float-to-double conversions and drops the rounding on the way (both values land unrounded in
// one register).
float SinglePrecision(double value)
{
    volatile float rounded = static_cast<float>(value);
    return rounded;
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
    DrawSpritePixels(*this, SinglePrecision(PortableSine(radians)), SinglePrecision(PortableCosine(radians)), x, y);
}
