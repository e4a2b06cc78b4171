// Which of the user's actions end a full-screen show, for every host.
#include <gtest/gtest.h>

#include "host_rules/show_ending.h"

namespace {

TEST(ShowEnding, KeysButtonsWheelLostActivationPowerAndTravelPastFourPixelsEndIt)
{
    using enum ShowEventKind;
    struct Case {
        ShowEvent event;
        bool ends;
        PointerOrigin originAfter; // from (100, 100)
    };
    const Case cases[] = {
        {{keyPressed}, true, {100, 100}},
        {{buttonPressed}, true, {100, 100}},
        {{wheelTurned}, true, {100, 100}},
        {{activationLost}, true, {100, 100}},
        {{activationGained}, false, {100, 100}},
        {{powerBroadcast}, true, {100, 100}},
        {{criticalResume}, true, {100, 100}},
        {{powerNotice}, false, {100, 100}},
        {{}, false, {100, 100}},                       // no event at all
        {{pointerMoved, 103, 101}, false, {100, 100}}, // 4 pixels of travel: kept, still measured from the origin
        {{pointerMoved, 103, 98}, true, {103, 98}},    // 5: it ends, and the next is measured from here
        {{pointerMoved, 100, 95}, true, {100, 95}},
    };
    for (const Case& c : cases) {
        PointerOrigin origin = {100, 100};
        const bool ends = EndsShow(origin, c.event);
        EXPECT_TRUE(ends == c.ends && origin.x == c.originAfter.x && origin.y == c.originAfter.y)
            << "event " << int(c.event.kind) << " at (" << c.event.x << ", " << c.event.y << "): got "
            << (ends ? "ends" : "goes on") << ", origin (" << origin.x << ", " << origin.y << ")";
    }
}

} // namespace
