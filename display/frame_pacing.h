// Frame pacing for a display whose vertical-blank wait does not wait: once the waits are seen to return
// faster than the display refreshes, frame requests are posted at most once per refresh.
#pragma once

#include <cstdint>

// All times are microseconds of the multimedia timer's clock (its milliseconds times 1000, wrapping
// modulo 2^32); only differences of them are used.
struct FramePacing {
    uint32_t refreshInterval; // one refresh of the display, rounded up
    uint32_t waitReturns[3];  // when the latest three vertical-blank waits returned, oldest first
    uint32_t waitsNoted;      // how many of waitReturns are set, 0 to 3
    // 0 while the wait is trusted to hold frames to the refresh; then refreshInterval, for good.
    uint32_t requestInterval;
    uint32_t nextRequestDue; // the earliest time of the next paced request
};

// Refresh rate assumed for a display that reports none.
constexpr uint32_t defaultRefreshRate = 60;

// Starts with the wait trusted and the refresh rate the display reports in hertz; 0 and 1, the system's
// ways of saying "the hardware's default", stand for defaultRefreshRate.
void StartFramePacing(FramePacing& pacing, uint32_t refreshRate);

// Notes that a vertical-blank wait returned at time now. A wait that waits returns once per vertical blank,
// after the blank has begun, so four returns in a row span more than two refreshes. Four returns within one
// and a half refreshes (the half refresh covers the timer clock's steps of a millisecond) show a wait that
// does not wait, and from then on requests are paced. Called on the window thread, inside a frame.
void NoteVerticalBlankWait(FramePacing& pacing, uint32_t now);

// Whether a paced request may be posted at time now; when it may, the next one falls due one refresh
// later. Called on the timer thread, only while requestInterval is not 0 and no frame is pending.
bool FrameRequestDue(FramePacing& pacing, uint32_t now);
