// Tests of the display host's parts that need no screen: where the picture goes, the device's release and
// the frame request's one-at-a-time rule.
#include <windows.h>

#include <gtest/gtest.h>

#include "display/display_device.h"
#include "display/saver_window_proc.h"

namespace {

TEST(CentrePicture, PlacesThePictureOneToOne)
{
    struct Case {
        int32_t width, height;
        RECT source, dest;
    };
    const Case cases[] = {
        {640, 480, {0, 0, 640, 480}, {0, 0, 640, 480}},
        {800, 600, {0, 0, 640, 480}, {80, 60, 720, 540}},
        {1024, 768, {0, 0, 640, 480}, {192, 144, 832, 624}},
        {1366, 768, {0, 0, 640, 480}, {363, 144, 1003, 624}},
        {641, 481, {0, 0, 640, 480}, {0, 0, 640, 480}}, // halves round down
        // Smaller than the picture: the middle of the picture, never a rectangle off the screen.
        {320, 200, {160, 140, 480, 340}, {0, 0, 320, 200}},
        {1024, 400, {0, 40, 640, 440}, {192, 0, 832, 400}},
        {0, 0, {320, 240, 320, 240}, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        RECT source, dest;
        CentrePicture(c.width, c.height, source, dest);
        EXPECT_TRUE(EqualRect(&source, &c.source)) << c.width << "x" << c.height << ": source " << source.left << ","
                                                   << source.top << "," << source.right << "," << source.bottom;
        EXPECT_TRUE(EqualRect(&dest, &c.dest)) << c.width << "x" << c.height << ": dest " << dest.left << ","
                                               << dest.top << "," << dest.right << "," << dest.bottom;
    }
}

TEST(ReleaseDisplayDevice, LeavesNoReleasedObjectBehind)
{
    DisplayDevice& device = displayDevice;
    if (DirectDrawCreate(nullptr, &device.directDraw, nullptr) != DD_OK)
        GTEST_SKIP() << "DirectDraw cannot be created here, so there is no device to release";
    // Normal co-operation and no window: objects like the set-up's, without taking the screen.
    ASSERT_EQ(device.directDraw->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
    DDSURFACEDESC primary = {};
    primary.dwSize = sizeof primary;
    primary.dwFlags = DDSD_CAPS;
    primary.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    DDSURFACEDESC offscreen = {};
    offscreen.dwSize = sizeof offscreen;
    offscreen.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    offscreen.dwWidth = 640;
    offscreen.dwHeight = 480;
    offscreen.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    ASSERT_EQ(device.directDraw->CreateSurface(&primary, &device.primarySurface, nullptr), DD_OK);
    ASSERT_EQ(device.directDraw->CreateSurface(&offscreen, &device.offscreenSurface, nullptr), DD_OK);
    ASSERT_EQ(device.directDraw->CreateClipper(0, &device.clipper, nullptr), DD_OK);
    ASSERT_EQ(device.directDraw->CreatePalette(DDPCAPS_8BIT, device.paletteEntries, &device.displayPalette, nullptr),
              DD_OK);

    ReleaseDisplayDevice();
    EXPECT_EQ(device.directDraw, nullptr);
    EXPECT_EQ(device.primarySurface, nullptr) << "the surfaces went with the device";
    EXPECT_EQ(device.offscreenSurface, nullptr);
    EXPECT_EQ(device.clipper, nullptr);
    EXPECT_EQ(device.displayPalette, nullptr);
}

int CountQueued(HWND window, UINT message)
{
    int count = 0;
    MSG queued;
    while (PeekMessageA(&queued, window, message, message, PM_REMOVE))
        ++count;
    return count;
}

TEST(FrameTimerProc, KeepsAtMostOneRequestQueued)
{
    const HWND window = CreateWindowExA(0, "STATIC", "frame requests", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                                        GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    saverWindowState.displayWindow = window;
    saverWindowState.framePending = 0;

    for (int tick = 0; tick < 50; ++tick)
        FrameTimerProc(0, 0, 0, 0, 0);
    EXPECT_EQ(CountQueued(window, WM_USER), 1) << "ticks while a request is pending must post nothing";
    EXPECT_EQ(saverWindowState.framePending.load(), 1);

    // Ticks during the frame (the request taken from the queue, the flag still set) post nothing either.
    FrameTimerProc(0, 0, 0, 0, 0);
    EXPECT_EQ(CountQueued(window, WM_USER), 0);

    // The frame clears the flag as its last step; the next tick requests the next frame.
    saverWindowState.framePending = 0;
    FrameTimerProc(0, 0, 0, 0, 0);
    FrameTimerProc(0, 0, 0, 0, 0);
    EXPECT_EQ(CountQueued(window, WM_USER), 1);
    DestroyWindow(window);
}

TEST(SaverWindowProc, FrameRequestWithoutADeviceIsOnlyPassedOn)
{
    ASSERT_EQ(displayDevice.directDraw, nullptr);
    const HWND window = CreateWindowExA(0, "STATIC", "late request", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                                        GetModuleHandleA(nullptr), nullptr);
    saverWindowState.framePending = 1;
    EXPECT_EQ(SaverWindowProc(window, WM_USER, 0, 0), 0);
    EXPECT_EQ(saverWindowState.framePending.load(), 1) << "only a drawn frame clears the request";
    DestroyWindow(window);
}

} // namespace
