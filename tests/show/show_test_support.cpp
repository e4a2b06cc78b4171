// Helpers for the show's tests.
#include "tests/show/show_test_support.h"

#include <algorithm>

#include "show/frame_clock.h"
#include "show/random.h"
#include "show/scene.h"
#include "show/screen_geometry.h"

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
    const uint8_t* p = storage.data() + guardBytes + (std::size_t(y) * width + x) * bytesPerPixel;
    uint32_t value = 0;
    for (uint32_t b = 0; b < bytesPerPixel; ++b)
        value |= uint32_t(p[b]) << (8 * b);
    return value;
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

namespace {

struct Format {
    uint32_t bytesPerPixel, red, green, blue;
};
constexpr Format showFormats[] = {
    {1, 0xE0, 0x1C, 0x03},         {2, 0x7C00, 0x03E0, 0x001F},   {2, 0xF800, 0x07E0, 0x001F},
    {3, 0xFF0000, 0x00FF00, 0xFF}, {4, 0xFF0000, 0x00FF00, 0xFF},
};

} // namespace

ShowFrame::ShowFrame(int formatIndex)
    : TestFrame(screenGeometry.width, screenGeometry.height, showFormats[formatIndex].bytesPerPixel)
{
    const Format& f = showFormats[formatIndex];
    attach(f.red, f.green, f.blue);
}

void PlayShow(const std::vector<uint32_t>& elapsedMs)
{
    StartFrameClock(0);
    SetupScene();
    for (uint32_t ms : elapsedMs) {
        pixelSurface.fill(pixelSurface.clearValue);
        AdvanceFrameClock(ms);
        UpdateSceneFrame();
    }
}
