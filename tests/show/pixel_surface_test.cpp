// Tests of the pixel format and the pixel surface: shifts from masks, packing and unpacking in every
// format, the colour cube, clipping and stores.
#include "show/pixel_surface.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "tests/show/show_test_support.h"

namespace {

TEST(PixelSurface, DerivesShiftsFromMasks)
{
    struct Case {
        const char* format;
        uint32_t red, green, blue;
        int32_t redShift, greenShift, blueShift;
    };
    const Case cases[] = {
        {"8-bit cube", 0xE0, 0x1C, 0x03, 0, -3, -6},    {"5-6-5", 0xF800, 0x07E0, 0x001F, 8, 3, -3},
        {"5-5-5", 0x7C00, 0x03E0, 0x001F, 7, 2, -3},    {"8-8-8", 0xFF0000, 0x00FF00, 0x0000FF, 16, 8, 0},
        {"top bit", 0x80000000, 0x1, 0x100, 24, -7, 1},
    };
    for (const Case& c : cases) {
        PixelSurface surface;
        surface.setFormat(2, c.red, c.green, c.blue, 640, 480);
        EXPECT_EQ(surface.redShift, c.redShift) << c.format;
        EXPECT_EQ(surface.greenShift, c.greenShift) << c.format;
        EXPECT_EQ(surface.blueShift, c.blueShift) << c.format;
        EXPECT_EQ(surface.clipWidth, 640u);
        EXPECT_EQ(surface.clipHeight, 480u);
    }
}

TEST(PixelSurface, ZeroMaskKeepsPreviousShift)
{
    PixelSurface surface;
    surface.setFormat(4, 0xFF0000, 0xFF00, 0xFF, 640, 480);
    surface.setFormat(4, 0, 0x1C, 0, 640, 480);
    EXPECT_EQ(surface.redShift, 16);
    EXPECT_EQ(surface.greenShift, -3);
    EXPECT_EQ(surface.blueShift, 0);
}

TEST(PixelSurface, PacksWithoutRounding)
{
    struct Case {
        uint32_t bytesPerPixel, redMask, greenMask, blueMask;
        uint32_t red, green, blue, packed;
    };
    const Case cases[] = {
        {1, 0xE0, 0x1C, 0x03, 255, 255, 255, 0xFF},
        {1, 0xE0, 0x1C, 0x03, 128, 128, 128, 0x92},
        {1, 0xE0, 0x1C, 0x03, 31, 31, 63, 0x00}, // every set bit lies below the kept bits
        {2, 0xF800, 0x07E0, 0x001F, 255, 255, 255, 0xFFFF},
        {2, 0xF800, 0x07E0, 0x001F, 8, 4, 8, 0x0821},
        {2, 0x7C00, 0x03E0, 0x001F, 255, 0, 255, 0x7C1F},
        {4, 0xFF0000, 0xFF00, 0xFF, 0x12, 0x34, 0x56, 0x123456},
    };
    for (const Case& c : cases) {
        PixelSurface surface;
        surface.setFormat(c.bytesPerPixel, c.redMask, c.greenMask, c.blueMask, 1, 1);
        EXPECT_EQ(surface.pack(c.red, c.green, c.blue), c.packed)
            << "colour " << c.red << "," << c.green << "," << c.blue << " in a " << c.bytesPerPixel << "-byte format";
    }
}

TEST(PixelFormat, UnpacksToTheColourShown)
{
    struct Case {
        const PixelFormat& format;
        uint32_t value;
        int red, green, blue;
    };
    const Case cases[] = {
        // The colour cube, which the 8-bit display is given as its palette.
        {colourCubeFormat, 0, 0, 0, 0},
        {colourCubeFormat, 255, 255, 255, 255},
        {colourCubeFormat, 174, 182, 109, 170},
        {colourCubeFormat, 28, 0, 255, 0},
        {colourCubeFormat, 224, 255, 0, 0},
        {colourCubeFormat, 3, 0, 0, 255},
        {colourCubeFormat, 0x92, 145, 145, 170},
        // Wider fields scale to 0..255 the same way, truncating.
        {rgb565Format, 0xFFFF, 255, 255, 255},
        {rgb565Format, 0x0821, 8, 4, 8},
        {rgb555Format, 0x7C1F, 255, 0, 255},
        {rgb888Format, 0x123456, 0x12, 0x34, 0x56},
        {xrgb8888Format, 0xFF123456, 0x12, 0x34, 0x56},
    };
    for (const Case& c : cases) {
        const Colour colour = c.format.unpack(c.value);
        EXPECT_EQ(int(colour.red), c.red) << "value 0x" << std::hex << c.value;
        EXPECT_EQ(int(colour.green), c.green) << "value 0x" << std::hex << c.value;
        EXPECT_EQ(int(colour.blue), c.blue) << "value 0x" << std::hex << c.value;
    }
}

TEST(PixelSurface, StoresLittleEndianInEachPixelSize)
{
    struct Case {
        uint32_t bytesPerPixel;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {1, {0x56}},
        {2, {0x56, 0x34}},
        {3, {0x56, 0x34, 0x12}},
        {4, {0x56, 0x34, 0x12, 0x00}},
    };
    for (const Case& c : cases) {
        TestFrame frame(4, 2, c.bytesPerPixel);
        // Identity masks so that the packed value is the channels' own bits.
        frame.attach(0xFF0000, 0xFF00, 0xFF);
        pixelSurface.plot(3, 1, 0x12, 0x34, 0x56);
        const uint8_t* pixel = frame.pixels() + frame.pitch() + 3 * c.bytesPerPixel;
        EXPECT_EQ(std::vector<uint8_t>(pixel, pixel + c.bytesPerPixel), c.bytes) << c.bytesPerPixel << " bytes";
        EXPECT_TRUE(frame.guardsIntact());
    }
}

TEST(PixelSurface, ClipsToTheClipSize)
{
    TestFrame frame(640, 480, 4);
    frame.attach(0xFF0000, 0xFF00, 0xFF);
    const int32_t outside[][2] = {{-1, 0}, {0, -1}, {640, 0}, {0, 480}, {-2147483647 - 1, 5}, {5, 2147483647}};
    for (const auto& p : outside)
        pixelSurface.plot(p[0], p[1], 255, 255, 255);
    EXPECT_TRUE(frame.guardsIntact());
    EXPECT_EQ(std::count(frame.storage.begin(), frame.storage.end(), 0xFF), 0) << "a clipped plot stored bytes";
    pixelSurface.plot(639, 479, 255, 255, 255);
    EXPECT_EQ(frame.at(639, 479), 0xFFFFFFu);
    EXPECT_TRUE(frame.guardsIntact());
}

TEST(PixelSurface, StoresNothingWithoutAUsableFormat)
{
    // Before any format: clip size 0x0.
    TestFrame frame(8, 8, 4);
    PixelSurface surface;
    surface.pixels = frame.pixels();
    surface.pitch = frame.pitch();
    surface.plot(0, 0, 255, 255, 255);
    // A pixel size outside 1 to 4.
    for (uint32_t size : {0u, 5u}) {
        surface.setFormat(size, 0xFF0000, 0xFF00, 0xFF, 8, 8);
        surface.plot(0, 0, 255, 255, 255);
        surface.plot(7, 7, 255, 255, 255);
        surface.fill(0xFFFFFFFF);
    }
    EXPECT_EQ(std::count(frame.storage.begin(), frame.storage.end(), 0xFF), 0);
    EXPECT_TRUE(frame.guardsIntact());
}

TEST(PixelSurface, FillCoversExactlyTheClipArea)
{
    // The fill's shortcuts (one memset over the whole surface when its rows follow each other without a gap,
    // else the first row copied to the others) must store exactly what storing the value pixel by pixel stores,
    // and leave the bytes between the clip width and the pitch alone.
    struct Case {
        uint32_t bytesPerPixel, frameWidth, clipWidth, value;
    };
    const Case cases[] = {
        {3, 7, 7, 0x123456}, {1, 9, 9, 0x00},   {4, 9, 9, 0x00},       {3, 9, 9, 0x777777}, // rows back to back
        {4, 9, 6, 0x00},     {1, 9, 5, 0x00},   {2, 9, 6, 0x0000},     {3, 9, 8, 0x565656}, // pitch wider than rows
        {1, 9, 5, 0xAB},     {2, 9, 6, 0x1234}, {4, 9, 7, 0x00FF00FF},
    };
    for (const Case& c : cases) {
        TestFrame expected(c.frameWidth, 3, c.bytesPerPixel), actual(c.frameWidth, 3, c.bytesPerPixel);
        for (TestFrame* frame : {&expected, &actual})
            std::fill(frame->pixels(), frame->pixels() + frame->pitch() * 3, 0x5A);
        for (uint32_t y = 0; y < 3; ++y)
            for (uint32_t x = 0; x < c.clipWidth; ++x)
                for (uint32_t b = 0; b < c.bytesPerPixel; ++b)
                    expected.pixels()[y * expected.pitch() + x * c.bytesPerPixel + b] = uint8_t(c.value >> (8 * b));
        actual.attach(0xFF0000, 0xFF00, 0xFF);
        pixelSurface.clipWidth = c.clipWidth;
        pixelSurface.fill(c.value);
        EXPECT_TRUE(actual.storage == expected.storage)
            << c.bytesPerPixel << " bytes per pixel, clip width " << c.clipWidth << " of " << c.frameWidth << std::hex
            << ", value 0x" << c.value;
    }
}

} // namespace
