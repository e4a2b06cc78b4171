// When a host draws its next frame: at most one per refresh of the display, a late frame not caught up
// with a burst. The same schedule for every host; each feeds it its own clock.
#pragma once

#include <cstdint>

// Refresh rate assumed for a display that reports none.
inline constexpr uint32_t defaultRefreshRate = 60;

// Times are microseconds of the host's clock, wrapping modulo 2^32; only differences of them are used, so
// the schedule holds across the wrap.
struct FrameSchedule {
    uint32_t period;  // one refresh, rounded up, so that frames never come faster than the display refreshes
    uint32_t nextDue; // the earliest time of the next frame
};

// A schedule for a display of refreshRate hertz (0: the display does not say, defaultRefreshRate), the
// first frame due at firstDue.
FrameSchedule StartFrameSchedule(uint32_t refreshRate, uint32_t firstDue);

// Whether a frame is due at now. When it is, the next falls due one period later; when that time has
// passed already (the frame came late), one period after now, so that no burst of frames catches up.
bool FrameDue(FrameSchedule& schedule, uint32_t now);

// How long after now the next frame falls due: 0 when it is due.
uint32_t TimeUntilFrame(const FrameSchedule& schedule, uint32_t now);
