// Pixel surface: format set-up, the single-pixel plot and the frame fill.
#include "show/pixel_surface.h"

PixelSurface pixelSurface;

void PixelSurface::setFormat(uint32_t newBytesPerPixel, uint32_t newRedMask, uint32_t newGreenMask,
                             uint32_t newBlueMask, uint32_t newClipWidth, uint32_t newClipHeight)
{
    setChannels(newBytesPerPixel, newRedMask, newGreenMask, newBlueMask);
    fillBits = 0;
    clipWidth = newClipWidth;
    clipHeight = newClipHeight;
}

void PixelSurface::plot(int32_t x, int32_t y, uint32_t red, uint32_t green, uint32_t blue)
{
    if (!contains(x, y))
        return;
    const uint32_t value = pack(red, green, blue);
    WithPixelSize(bytesPerPixel, [&](auto size) { StorePixel<size()>(address(x, y), value); });
}

void PixelSurface::fill(uint32_t value)
{
    if (bytesPerPixel < 1 || bytesPerPixel > 4 || clipWidth == 0 || clipHeight == 0)
        return;
    const std::size_t rowBytes = std::size_t(clipWidth) * bytesPerPixel;
    // When every byte of the pixel is the same (black always is), memset does the work, in one go where
    // the rows follow each other without a gap.
    bool bytesAlike = true;
    for (uint32_t b = 1; b < bytesPerPixel; ++b)
        bytesAlike = bytesAlike && ((value >> (8 * b)) & 0xFF) == (value & 0xFF);
    if (bytesAlike && pitch == static_cast<int32_t>(rowBytes)) {
        std::memset(pixels, static_cast<int>(value & 0xFF), rowBytes * clipHeight);
        return;
    }
    // Otherwise the first row pixel by pixel, copied to the others.
    WithPixelSize(bytesPerPixel, [&](auto size) {
        uint8_t* at = pixels;
        for (uint32_t x = 0; x < clipWidth; ++x, at += size())
            StorePixel<size()>(at, value);
    });
    for (uint32_t y = 1; y < clipHeight; ++y)
        std::memcpy(address(0, static_cast<int32_t>(y)), pixels, rowBytes);
}
