// Tests of the display host's parts that need no screen: the device's release, the frame request's
// one-at-a-time rule and the pacing of requests.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "windows/display/saver_window_proc.h"

namespace {

TEST(ReleaseDisplayDevice, LeavesNoReleasedObjectBehind)
{
    DisplayDevice device = {};
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

    ReleaseDisplayDevice(device);
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
    windowsHost.displayWindow = window;
    windowsHost.framePending = 0;

    for (int tick = 0; tick < 50; ++tick)
        FrameTimerProc(0, 0, 0, 0, 0);
    EXPECT_EQ(CountQueued(window, WM_USER), 1) << "ticks while a request is pending must post nothing";
    EXPECT_EQ(windowsHost.framePending.load(), 1);

    // Ticks during the frame (the request taken from the queue, the flag still set) post nothing either.
    FrameTimerProc(0, 0, 0, 0, 0);
    EXPECT_EQ(CountQueued(window, WM_USER), 0);

    // The frame clears the flag as its last step; the next tick requests the next frame.
    windowsHost.framePending = 0;
    FrameTimerProc(0, 0, 0, 0, 0);
    FrameTimerProc(0, 0, 0, 0, 0);
    EXPECT_EQ(CountQueued(window, WM_USER), 1);
    DestroyWindow(window);
}

// Vertical-blank waits, in microseconds: when a wait that starts at drawn returns, on a display whose
// blanks begin every 16667 us from start.
constexpr uint32_t blankInterval = 16667;
uint32_t ReturnsAtOnce(uint32_t drawn, uint32_t)
{
    return drawn;
}
uint32_t WaitsForTheBlank(uint32_t drawn, uint32_t start)
{
    return drawn + blankInterval - (drawn - start) % blankInterval;
}
// Woken up to 15 ms after the blank has begun.
uint32_t WaitsAndWakesLate(uint32_t drawn, uint32_t start)
{
    const uint32_t blank = WaitsForTheBlank(drawn, start);
    return blank + (blank / blankInterval * 7919) % 15000;
}
// Returns at once while the blank lasts (1.5 ms), so that a quick frame gets a second return in it.
uint32_t ReturnsAtOnceInTheBlank(uint32_t drawn, uint32_t start)
{
    return (drawn - start) % blankInterval < 1500 ? drawn : WaitsForTheBlank(drawn, start);
}

TEST(FramePacing, TrustsAWaitThatWaitsAndPacesOneThatDoesNot)
{
    struct Case {
        const char* what;
        uint32_t reportedRate;
        uint32_t (*waitReturn)(uint32_t drawn, uint32_t start);
        uint32_t start;      // the timer clock when the show starts
        uint32_t stall;      // extra drawing time of the first frame requested after one second
        bool paced;          // whether requests end up paced
        int framesPerSecond; // frames requested in the last second of the run
    };
    const Case cases[] = {
        {"a wait that waits", 60, WaitsForTheBlank, 0, 0, false, 60},
        {"a wait that waits and wakes up to 15 ms late", 60, WaitsAndWakesLate, 0, 0, false, 60},
        {"a wait that returns at once", 60, ReturnsAtOnce, 0, 0, true, 60},
        {"... at 75 Hz", 75, ReturnsAtOnce, 0, 0, true, 75},
        {"... on a display that reports no rate", 0, ReturnsAtOnce, 0, 0, true, 60},
        {"... on a display that reports the default rate", 1, ReturnsAtOnce, 0, 0, true, 60},
        {"... while the clock wraps", 60, ReturnsAtOnce, 0xFFFFFFFFu - 900000, 0, true, 60},
        {"... with a frame of 100 ms, not made up for", 60, ReturnsAtOnce, 0, 100000, true, 55},
        {"a wait that returns at once inside the blank", 60, ReturnsAtOnceInTheBlank, 0, 0, true, 60},
    };
    // One and a half seconds of the pump on a timer of 1 ms: a tick posts a request when none is pending
    // and the pacing allows; the frame draws for 0.3 ms, waits, and ends when the wait returns.
    for (const Case& c : cases) {
        FramePacing pacing;
        StartFramePacing(pacing, c.reportedRate);
        const uint32_t interval = pacing.schedule.period;
        int frames = 0;
        uint32_t frameEnd = c.start, lastPacedRequest = 0, shortestPacedGap = 0xFFFFFFFFu;
        bool stalled = false;
        for (uint32_t elapsed = 0; elapsed < 1500000; elapsed += 1000) {
            const uint32_t tick = c.start + elapsed;
            if (static_cast<int32_t>(tick - frameEnd) < 0)
                continue;
            const bool paced = pacing.paced;
            if (paced && !FrameRequestDue(pacing, tick))
                continue;
            if (paced && lastPacedRequest != 0)
                shortestPacedGap = std::min(shortestPacedGap, tick - lastPacedRequest);
            lastPacedRequest = paced ? tick : 0;
            frames += elapsed >= 500000 ? 1 : 0;
            const uint32_t stall = elapsed >= 1000000 && !stalled ? c.stall : 0;
            stalled = stalled || elapsed >= 1000000;
            frameEnd = c.waitReturn(tick + 300 + stall, c.start);
            NoteVerticalBlankWait(pacing, frameEnd);
        }
        EXPECT_EQ(pacing.paced, c.paced) << c.what;
        EXPECT_NEAR(frames, c.framesPerSecond, 1) << c.what;
        if (c.paced) { // requests fall on the timer's whole milliseconds
            EXPECT_GT(shortestPacedGap, interval - 1000) << c.what << ": paced requests came in a burst";
        }
    }
}

TEST(SaverWindowProc, FrameRequestWithoutADeviceDrawsNothing)
{
    ASSERT_EQ(windowsHost.device.directDraw, nullptr);
    const HWND window = CreateWindowExA(0, "STATIC", "late request", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                                        GetModuleHandleA(nullptr), nullptr);
    windowsHost.framePending = 1;
    SaverWindowProc(window, WM_USER);
    EXPECT_EQ(windowsHost.framePending.load(), 1) << "only a drawn frame clears the request";
    DestroyWindow(window);
}

} // namespace
