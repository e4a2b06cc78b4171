// Frame pacing: detection of a vertical-blank wait that does not wait, and requests spaced one refresh apart.
#include "windows/display/frame_pacing.h"

void StartFramePacing(FramePacing& pacing, uint32_t refreshRate)
{
    pacing = FramePacing{};
    pacing.schedule = StartFrameSchedule(refreshRate > 1 ? refreshRate : 0, 0);
}

void NoteVerticalBlankWait(FramePacing& pacing, uint32_t now)
{
    if (pacing.paced)
        return;
    // This return and the three before it, within one and a half refreshes: the wait did not wait.
    const uint32_t refresh = pacing.schedule.period;
    if (pacing.waitsNoted == 3 && now - pacing.waitReturns[0] < refresh + refresh / 2) {
        pacing.paced = true;
        pacing.schedule.nextDue = now + refresh;
        return;
    }
    if (pacing.waitsNoted == 3) {
        pacing.waitReturns[0] = pacing.waitReturns[1];
        pacing.waitReturns[1] = pacing.waitReturns[2];
        pacing.waitReturns[2] = now;
    } else {
        pacing.waitReturns[pacing.waitsNoted++] = now;
    }
}

bool FrameRequestDue(FramePacing& pacing, uint32_t now)
{
    return !pacing.paced || FrameDue(pacing.schedule, now);
}
