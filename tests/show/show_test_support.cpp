// Helpers for the show's tests.
#include "tests/show/show_test_support.h"

#include <algorithm>

#include "show/frame_clock.h"
#include "show/random.h"
#include "show/scene.h"
#include "show/screen_geometry.h"
#include "show/show_host.h"

void RestartShow()
{
    randomState = 1;
    scene = Scene();
    pixelSurface = PixelSurface();
    StartFrameClock(0);
}

TestFrame::TestFrame(uint32_t newWidth, uint32_t newHeight, uint32_t newBytesPerPixel)
    : width(newWidth), height(newHeight), bytesPerPixel(newBytesPerPixel),
      storage(2 * guardBytes + std::size_t(newWidth) * newHeight * newBytesPerPixel, 0)
{
    std::fill(storage.begin(), storage.begin() + guardBytes, guardValue);
    std::fill(storage.end() - guardBytes, storage.end(), guardValue);
}

uint32_t TestFrame::at(uint32_t x, uint32_t y) const
{
    return LoadPixel(storage.data() + guardBytes + (std::size_t(y) * width + x) * bytesPerPixel, bytesPerPixel);
}

bool TestFrame::guardsIntact() const
{
    for (std::size_t i = 0; i < guardBytes; ++i)
        if (storage[i] != guardValue || storage[storage.size() - 1 - i] != guardValue)
            return false;
    return true;
}

void TestFrame::attach(uint32_t redMask, uint32_t greenMask, uint32_t blueMask)
{
    pixelSurface.setFormat(bytesPerPixel, redMask, greenMask, blueMask, width, height);
    pixelSurface.pixels = pixels();
    pixelSurface.pitch = pitch();
}

Palette DistinctPalette(const PixelFormat& format)
{
    // The unpacked colour of each packed value packs back to it in the show's formats.
    Palette palette;
    for (uint32_t e = 0; e < 256; ++e)
        palette[e] = format.unpack((e * 0x010101u) & (format.redMask | format.greenMask | format.blueMask));
    return palette;
}

ShowFrame::ShowFrame(const PixelFormat& newFormat)
    : TestFrame(screenGeometry.width, screenGeometry.height, newFormat.bytesPerPixel), format(newFormat)
{
}

void ShowFrame::start()
{
    StartShow(format, 0);
}

void ShowFrame::draw(uint32_t elapsedMs)
{
    ClearShowFrame(pixels(), pitch());
    DrawShowFrame(pixels(), pitch(), elapsedMs);
}

void ShowFrame::play(const std::vector<uint32_t>& elapsedMs)
{
    start();
    for (uint32_t ms : elapsedMs)
        draw(ms);
}
