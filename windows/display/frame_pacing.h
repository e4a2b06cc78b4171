// Frame pacing for a display whose vertical-blank wait does not wait: once the waits are seen to return
// faster than the display refreshes, frame requests follow the hosts' frame schedule, one per refresh.
#pragma once

#include <cstdint>

#include "host_rules/frame_schedule.h"

// All times are microseconds of the multimedia timer's clock (its milliseconds times 1000, wrapping
// modulo 2^32); only differences of them are used.
struct FramePacing {
    FrameSchedule schedule;  // one request per refresh, once paced
    uint32_t waitReturns[3]; // when the latest three vertical-blank waits returned, oldest first
    uint32_t waitsNoted;     // how many of waitReturns are set, 0 to 3
    bool paced;              // false while the wait is trusted to hold frames to the refresh; then true for good
};

// Starts with the wait trusted and the refresh rate the display reports in hertz; 0 and 1, the system's
// ways of saying "the hardware's default", are no rate (the schedule's default).
void StartFramePacing(FramePacing& pacing, uint32_t refreshRate);

// Notes that a vertical-blank wait returned at time now. A wait that waits returns once per vertical blank,
// after the blank has begun, so four returns in a row span more than two refreshes. Four returns within one
// and a half refreshes (the half refresh covers the timer clock's steps of a millisecond) show a wait that
// does not wait, and from then on requests are paced. Called on the window thread, inside a frame.
void NoteVerticalBlankWait(FramePacing& pacing, uint32_t now);

// Whether a request may be posted at time now: always while the wait is trusted, else when the schedule
// says a frame is due. Called on the timer thread, only while no frame is pending.
bool FrameRequestDue(FramePacing& pacing, uint32_t now);
