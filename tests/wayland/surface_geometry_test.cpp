// The buffer of a surface covering an output: its size in device pixels, its scale and viewport, and the
// picture centred in it, at integer and fractional scales.
#include <gtest/gtest.h>

#include <cstdint>

#include "wayland/surface_geometry.h"

namespace {

TEST(SurfaceGeometry, ThePictureLandsOneToOneInDevicePixels)
{
    struct Case {
        const char* what;
        OutputScale output;
        int32_t width, height, bufferScale;
        bool viewport;
        int32_t pictureX, pictureY; // where the picture's first pixel lands
    };
    const Case cases[] = {
        {"scale 1", {1920, 1080, 1920, 1080, 1, 0, true}, 1920, 1080, 1, false, 640, 300},
        {"scale 2", {960, 540, 1920, 1080, 2, 0, true}, 1920, 1080, 2, false, 640, 300},
        {"1.5, said as 2 (sway 1.7)", {1280, 720, 1920, 1080, 2, 0, true}, 1920, 1080, 1, true, 640, 300},
        {"1.5, said as 2, no viewporter", {1280, 720, 1920, 1080, 2, 0, false}, 2560, 1440, 2, false, 960, 480},
        {"1.5 by fractional-scale-v1", {1280, 720, 1920, 1080, 2, 180, true}, 1920, 1080, 1, true, 640, 300},
        {"1.25 rounds half up", {1366, 767, 0, 0, 2, 150, true}, 1708, 959, 1, true, 534, 239},
        {"fractional 1 needs no viewport", {800, 600, 800, 600, 1, 120, true}, 800, 600, 1, false, 80, 60},
        {"turned output", {1080, 1920, 1080, 1920, 1, 0, true}, 1080, 1920, 1, false, 220, 720},
        {"no size said: the mode's", {0, 0, 1920, 1080, 2, 0, true}, 1920, 1080, 2, false, 640, 300},
        {"a mode of another output", {800, 600, 4000, 3000, 2, 0, true}, 1600, 1200, 2, false, 480, 360},
        {"smaller than the picture", {320, 200, 320, 200, 1, 0, true}, 320, 200, 1, false, 0, 0},
        {"nothing known", {0, 0, 0, 0, 1, 0, true}, 0, 0, 1, false, 0, 0},
        {"scale 0 taken as 1", {800, 600, 0, 0, 0, 0, false}, 800, 600, 1, false, 80, 60},
        {"too large for a pool", {20000, 20000, 0, 0, 1, 0, false}, 0, 0, 1, false, 0, 0},
        {"scaled past 32 bits", {INT32_MAX, 2, 0, 0, 2, 0, false}, 0, 0, 1, false, 0, 0},
    };
    for (const Case& c : cases) {
        const SurfaceLayout layout = LayOutSurface(c.output);
        EXPECT_EQ(layout.bufferWidth, c.width) << c.what;
        EXPECT_EQ(layout.bufferHeight, c.height) << c.what;
        EXPECT_EQ(layout.bufferScale, c.bufferScale) << c.what;
        EXPECT_EQ(layout.viewport, c.viewport) << c.what;
        EXPECT_EQ(layout.picture.x.dest, c.pictureX) << c.what;
        EXPECT_EQ(layout.picture.y.dest, c.pictureY) << c.what;
    }
}

TEST(SurfaceGeometry, FractionalScalesRoundHalfUp)
{
    EXPECT_EQ(ScaleToDevice(1280, 180), 1920);
    EXPECT_EQ(ScaleToDevice(1, 180), 2); // 1.5
    EXPECT_EQ(ScaleToDevice(3, 100), 3); // 2.5
    EXPECT_EQ(ScaleToDevice(INT32_MAX, 240), INT32_MAX);
}

} // namespace
