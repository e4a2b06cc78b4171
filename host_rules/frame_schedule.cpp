// The frame schedule: one frame per refresh period, none caught up.
#include "host_rules/frame_schedule.h"

namespace {

constexpr uint32_t microsecondsPerSecond = 1000000;

// Whether the next frame falls due after now but no more than one period later. A due time further ahead
// can only come from a clock that jumped, and counts as due rather than as a long wait.
bool DueWithinOnePeriod(const FrameSchedule& schedule, uint32_t now)
{
    const uint32_t ahead = schedule.nextDue - now;
    return ahead != 0 && ahead <= schedule.period;
}

} // namespace

FrameSchedule StartFrameSchedule(uint32_t refreshRate, uint32_t firstDue)
{
    const uint32_t rate = refreshRate != 0 ? refreshRate : defaultRefreshRate;
    return {(microsecondsPerSecond + rate - 1) / rate, firstDue};
}

bool FrameDue(FrameSchedule& schedule, uint32_t now)
{
    if (DueWithinOnePeriod(schedule, now))
        return false;
    schedule.nextDue += schedule.period;
    if (!DueWithinOnePeriod(schedule, now))
        schedule.nextDue = now + schedule.period;
    return true;
}

uint32_t TimeUntilFrame(const FrameSchedule& schedule, uint32_t now)
{
    return DueWithinOnePeriod(schedule, now) ? schedule.nextDue - now : 0;
}
