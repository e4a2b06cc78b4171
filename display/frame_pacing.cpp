// Frame pacing: detection of a vertical-blank wait that does not wait, and requests spaced one refresh apart.
#include "display/frame_pacing.h"

namespace {

constexpr uint32_t microsecondsPerSecond = 1000000;

// Whether the next request falls due after now but no more than one interval later. A due time further
// ahead can only come from a clock that jumped, and counts as due rather than as a long wait.
bool DueWithinOneInterval(const FramePacing& pacing, uint32_t now)
{
    const uint32_t ahead = pacing.nextRequestDue - now;
    return ahead != 0 && ahead <= pacing.requestInterval;
}

} // namespace

void StartFramePacing(FramePacing& pacing, uint32_t refreshRate)
{
    const uint32_t rate = refreshRate > 1 ? refreshRate : defaultRefreshRate;
    pacing = FramePacing{};
    // Rounded up, so that paced requests never come faster than the display refreshes.
    pacing.refreshInterval = (microsecondsPerSecond + rate - 1) / rate;
}

void NoteVerticalBlankWait(FramePacing& pacing, uint32_t now)
{
    if (pacing.requestInterval != 0)
        return;
    // This return and the three before it, within one and a half refreshes: the wait did not wait.
    const uint32_t limit = pacing.refreshInterval + pacing.refreshInterval / 2;
    if (pacing.waitsNoted == 3 && now - pacing.waitReturns[0] < limit) {
        pacing.requestInterval = pacing.refreshInterval;
        pacing.nextRequestDue = now + pacing.requestInterval;
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
    if (DueWithinOneInterval(pacing, now))
        return false;
    pacing.nextRequestDue += pacing.requestInterval;
    // A frame that ran late is not caught up with a burst of requests: the next one is a whole interval on.
    if (!DueWithinOneInterval(pacing, now))
        pacing.nextRequestDue = now + pacing.requestInterval;
    return true;
}
