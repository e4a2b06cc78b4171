// Tests of the frame clock's arithmetic.
#include "show/frame_clock.h"

#include <gtest/gtest.h>

#include "show/pixel_format.h"
#include "show/show_host.h"

namespace {

TEST(FrameClock, StartsAtZero)
{
    // Started alone, or by the show's start, which hosts call: the clock keeps the tick frames are timed from.
    for (const bool byShow : {false, true}) {
        sceneTime = 5.0f;
        frameDelta = 1.0f;
        if (byShow)
            StartShow(xrgb8888Format, 12345);
        else
            StartFrameClock(12345);
        EXPECT_EQ(startTick, 12345u) << (byShow ? "StartShow" : "StartFrameClock");
        EXPECT_EQ(sceneTime, 0.0f);
        EXPECT_EQ(frameDelta, 0.0f);
    }
}

TEST(FrameClock, AdvancesBySinglePrecisionMilliseconds)
{
    StartFrameClock(0);
    AdvanceFrameClock(16);
    // 16 * 0.0010000000474974513 in double, then rounded to single precision.
    EXPECT_EQ(sceneTime, static_cast<float>(16 * double(0.001f)));
    EXPECT_EQ(frameDelta, sceneTime) << "the first frame's delta is its own time";
    const float previous = sceneTime;
    AdvanceFrameClock(33);
    EXPECT_EQ(frameDelta, static_cast<float>(33 * double(0.001f) - double(previous)));
    EXPECT_EQ(sceneTime, static_cast<float>(33 * double(0.001f)));
}

TEST(FrameClock, ADayInSecondsHasCoarseSteps)
{
    // After a day a float holds seconds in steps of 1/128, and each delta is taken from the rounded
    // previous time. 0.001f is a little above 0.001, so the clock runs 4 ms fast after a day.
    StartFrameClock(0);
    AdvanceFrameClock(86400000); // 86400.0041 s
    EXPECT_EQ(sceneTime, 86400.0f + 1.0f / 128.0f);
    AdvanceFrameClock(86400016); // 86400.0201 s
    EXPECT_EQ(sceneTime, 86400.0f + 3.0f / 128.0f);
    EXPECT_EQ(frameDelta, static_cast<float>(86400016 * double(0.001f) - (86400.0 + 1.0 / 128.0)));
    EXPECT_NE(frameDelta, 0.016f);
}

TEST(FrameClock, TickWrapDoesNotDisturbTheClock)
{
    // Hosts take the elapsed count from ShowElapsedMs, modulo 2^32 from the start tick, so after the system
    // tick wraps, and after 24.8 days of running, the count lies anywhere up to 2^32 - 1: the clock reads it
    // as unsigned, never as a negative time.
    const struct {
        uint32_t tick; // the host's tick, started at 0xFFFFFF00
        uint32_t elapsedMs;
        float seconds;
    } cases[] = {
        {0x10, 0x110, 0.272000015f}, {0x7FFFFF00u, 0x80000000u, 2147483.75f}, {0xFFFFFEFFu, 0xFFFFFFFFu, 4294967.5f}};
    for (const auto& c : cases) {
        StartFrameClock(0xFFFFFF00u);
        EXPECT_EQ(ShowElapsedMs(c.tick), c.elapsedMs) << "tick " << c.tick;
        AdvanceFrameClock(c.elapsedMs);
        EXPECT_EQ(sceneTime, c.seconds) << c.elapsedMs << " ms";
        EXPECT_EQ(frameDelta, c.seconds) << c.elapsedMs << " ms";
    }
}

} // namespace
