// When every host draws its next frame: one per refresh period, a late frame not caught up.
#include <gtest/gtest.h>

#include "host_rules/frame_schedule.h"

namespace {

TEST(FrameSchedule, OneFramePerPeriodWithoutCatchingUp)
{
    struct Case {
        const char* what;
        uint32_t rate, firstDue, now;
        bool due;
        uint32_t period, nextDue; // after the call
    };
    const Case cases[] = {
        {"the first frame, due at once", 60, 1000, 1000, true, 16667, 17667},
        {"not yet", 60, 17667, 17666, false, 16667, 17667},
        {"not yet, due exactly one period ahead", 60, 17667, 1000, false, 16667, 17667},
        {"a rate the display does not say: 60 Hz", 0, 0, 0, true, 16667, 16667},
        {"rounded up: never faster than the display", 75, 0, 0, true, 13334, 13334},
        {"1 Hz", 1, 0, 0, true, 1000000, 1000000},
        {"late by less than a period: the schedule holds", 60, 1000, 2000, true, 16667, 17667},
        {"late by a period: no burst, one period after now", 60, 1000, 20000, true, 16667, 36667},
        {"late by exactly a period", 60, 1000, 17667, true, 16667, 34334},
        {"across the clock's wrap", 60, 0xFFFFFF00u, 0xFFFFFF00u, true, 16667, 16667u - 256},
        {"not yet, across the wrap", 60, 100, 0xFFFFFF00u, false, 16667, 100},
        {"due further ahead than a period: a clock that jumped", 60, 50000, 0, true, 16667, 16667},
    };
    for (const Case& c : cases) {
        FrameSchedule schedule = StartFrameSchedule(c.rate, c.firstDue);
        const uint32_t waitBefore = TimeUntilFrame(schedule, c.now);
        const bool due = FrameDue(schedule, c.now);
        EXPECT_TRUE(due == c.due && schedule.period == c.period && schedule.nextDue == c.nextDue)
            << c.what << ": got " << (due ? "due" : "not due") << ", period " << schedule.period << ", next "
            << schedule.nextDue;
        EXPECT_EQ(waitBefore, due ? 0u : c.firstDue - c.now) << c.what;
    }
}

} // namespace
