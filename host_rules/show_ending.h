// Which of the user's actions end a full-screen show: the same rule for every host. A host turns what its
// platform reports into ShowEvents and ends the show when EndsShow says so.
#pragma once

#include <cstdint>

#include "host_rules/pointer_travel.h"

enum class ShowEventKind : uint8_t {
    keyPressed,
    buttonPressed,
    wheelTurned,
    pointerMoved, // to (x, y), on the screen
    activationLost,
    activationGained,
    powerBroadcast, // a power-management notice, whatever it says
    criticalResume, // the system resumed after a critical suspension
    powerNotice,    // any other notice of the older power message: a suspension asked for, a resumption
    none,           // no user action: what a translator starts from before it has read one
};

struct ShowEvent {
    ShowEventKind kind = ShowEventKind::none;
    int32_t x = 0; // pointerMoved only
    int32_t y = 0;
};

// Where pointer travel is measured from: the last position that counted, so that small moves add up.
struct PointerOrigin {
    int32_t x;
    int32_t y;
};

// Whether event ends the show. A pointer movement ends it past mouseThreshold pixels of travel from origin,
// and then becomes the origin that the next movement is measured from.
bool EndsShow(PointerOrigin& origin, ShowEvent event);
